// What the import readers ask of a file before they read it: UTF-8 text.
#include "cli/import_reader.h"

#include <utf8.h>

#include <algorithm>
#include <cstdio>

std::optional<Refusal> textFault(std::string_view text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    // a NUL is a code point of its own to UTF-8, so it is looked for up to the first broken sequence
    const char* broken = utf8::find_invalid(begin, end);
    const char* nul = std::find(begin, broken, '\0');
    const bool isNul = nul != broken;
    const char* at = isNul ? nul : broken;
    if (at == end)
        return std::nullopt;
    std::size_t line = 1;
    const char* lineStart = begin;
    for (const char* p = begin; p < at; ++p)
        if (*p == '\n') {
            ++line;
            lineStart = p + 1;
        }
    if (lineStart == begin && text.starts_with("\xEF\xBB\xBF") && at - begin >= 3)
        lineStart += 3;  // a byte-order mark is not a character of the first line
    const auto column = utf8::unchecked::distance(lineStart, at) + 1;
    std::string what = "a NUL byte";
    if (!isNul) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(*at));
        what = "the byte " + std::string(hex) + ", which is not UTF-8";
    }
    return Refusal{"line " + std::to_string(line) + ", column " + std::to_string(column) + " (byte offset "
                       + std::to_string(at - begin) + ")",
                   what + ": an import file is UTF-8 text, and none of this one is read"};
}
