#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target found broken: say which and stop, so that both
// libFuzzer and the corpus replay report the input as a failure.
#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);    \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)
