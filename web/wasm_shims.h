#pragma once
// Included ahead of every core source in the WebAssembly build only: what the
// core uses of the C and C++ libraries and emscripten's (3.1.6) lack.

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <system_error>

// No renameat2: answering ENOSYS makes the core take its portable way (refuse
// an existing output, then rename).
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE 1
static inline int renameat2(int, const char*, int, const char*, unsigned int)
{
    errno = ENOSYS;
    return -1;
}
#endif

// libc++ before 17 reads no floating-point numbers with from_chars. The core
// hands it plain decimal text only (digits, a point, an exponent), which strtod
// in the "C" locale reads alike, range errors included.
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 170000
namespace std {
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general)
{
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    const std::size_t used = std::size_t(end - text.c_str());
    if (used == 0)
        return {first, errc::invalid_argument};
    if (errno == ERANGE)
        return {first + used, errc::result_out_of_range};
    value = parsed;
    return {first + used, errc()};
}
}  // namespace std
#endif
