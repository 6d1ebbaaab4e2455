#include "rom/command_words.h"

#include <doctest/doctest.h>

#include <string>
#include <string_view>
#include <vector>

// The emulator's command line split as a POSIX shell splits words: each case
// gives the words `sh -c 'printf "[%s]" CMD'` prints, or the refusal.
using Words = std::vector<std::string>;

namespace {

struct Split {
    std::string_view command;
    Words words;
};

const Split kSplits[] = {
    {"mednafen %f", {"mednafen", "%f"}},
    {"  rec\t-L  %f\n", {"rec", "-L", "%f"}},
    {"rec '-L' '/x y/core.so' %f", {"rec", "-L", "/x y/core.so", "%f"}},
    {R"("/opt/my emu/run" --rom=%f)", {"/opt/my emu/run", "--rom=%f"}},
    {R"(a\ b c)", {"a b", "c"}},
    {R"(a\\b)", {"a\\b"}},
    {R"('it'\''s' x)", {"it's", "x"}},
    {R"("say \"hi\"" "a\b" "c\\d")", {"say \"hi\"", "a\\b", "c\\d"}},
    {R"('a\b' 'x"y')", {"a\\b", "x\"y"}},
    {R"("" '' x)", {"", "", "x"}},
    {R"(pre"mid dle"'post' z)", {"premid dlepost", "z"}},
    {"emu \\\n--full", {"emu", "--full"}},
    {"emu --fu\\\nll", {"emu", "--full"}},
    {R"('$HOME' "a|b" \; x#y a~b)", {"$HOME", "a|b", ";", "x#y", "a~b"}},
    {"100%% %f", {"100%%", "%f"}},
    {"", {}},
    {"   ", {}},
};

struct Refused {
    std::string_view command;
    std::string_view reason;  // a part of the reason
};

const Refused kRefusals[] = {
    {"rec 'core.so %f", "single quote that is not closed"},
    {R"(rec "core.so %f)", "double quote that is not closed"},
    {R"(rec %f\)", "ends in a backslash"},
    {"emu %f > log.txt", "unquoted > (character 8)"},
    {"emu %f | tee", "unquoted |"},
    {"emu %f; rm x", "unquoted ;"},
    {"emu $HOME/core.so %f", "unquoted $"},
    {R"(emu "$HOME/core.so" %f)", "unquoted $"},
    {"emu `which core` %f", "unquoted `"},
    {"emu ~/core.so %f", "unquoted ~"},
    {"emu %f # comment", "unquoted #"},
    {"emu /cores/*.so %f", "unquoted *"},
    {"emu %f &", "unquoted &"},
};

}  // namespace

TEST_CASE("a command line is split into words by the shell's quoting rules")
{
    for (const Split& split : kSplits) {
        CAPTURE(split.command);
        const auto words = splitCommandWords(split.command);
        REQUIRE(words);
        CHECK(*words == split.words);
    }
}

TEST_CASE("what a shell would do beyond quoting is refused, naming it")
{
    for (const Refused& refused : kRefusals) {
        CAPTURE(refused.command);
        const auto words = splitCommandWords(refused.command);
        REQUIRE(!words);
        CHECK(words.error().find(refused.reason) != std::string::npos);
    }
}
