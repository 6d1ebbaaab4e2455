// What the import readers ask of a file before they read it: UTF-8 text, or
// UTF-16 with its byte-order mark, which is converted first.
#include "cli/import_reader.h"

#include <utf8.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

std::string place(std::size_t line, std::size_t column, std::size_t offset)
{
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + " (byte offset "
           + std::to_string(offset) + ")";
}

std::string hex16(unsigned unit)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", unit);
    return hex;
}

// UTF-16 after its byte-order mark (two bytes), little- or big-endian, as
// UTF-8 with a UTF-8 byte-order mark in its place, so that places in the
// converted text count lines and columns as in the file.
std::optional<Refusal> fromUtf16(std::string_view bytes, bool bigEndian, std::string& out)
{
    const auto unitAt = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? unsigned(a << 8 | b) : unsigned(b << 8 | a);
    };
    out = "\xEF\xBB\xBF";
    std::size_t line = 1;
    std::size_t column = 1;
    std::size_t i = 2;
    const auto fault = [&](const std::string& what) {
        return Refusal{place(line, column, i), what + ": an import file is UTF-8 or UTF-16 text, and none of this one is read"};
    };
    while (i + 1 < bytes.size()) {
        char32_t c = unitAt(i);
        std::size_t size = 2;
        if (c >= 0xDC00 && c <= 0xDFFF)
            return fault("the UTF-16 unit " + hex16(c) + ", the second half of a pair without its first");
        if (c >= 0xD800 && c <= 0xDBFF) {
            const unsigned low = i + 3 < bytes.size() ? unitAt(i + 2) : 0;
            if (low < 0xDC00 || low > 0xDFFF)
                return fault("the UTF-16 unit " + hex16(c) + ", the first half of a pair without its second");
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            size = 4;
        }
        utf8::append(c, std::back_inserter(out));
        ++column;
        if (c == '\n') {
            ++line;
            column = 1;
        }
        i += size;
    }
    if (i < bytes.size())
        return fault("a single byte at the end, where UTF-16 has two");
    return std::nullopt;
}

}  // namespace

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
    // ASCII in UTF-16 is every other byte NUL: the one thing such a file shows first
    if (isNul && at - begin == 1 && text.size() >= 4 && text[3] == '\0')
        what += " (the file looks like UTF-16 without a byte-order mark; save it as UTF-8)";
    if (!isNul) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(*at));
        what = "the byte " + std::string(hex) + ", which is not UTF-8";
    }
    return Refusal{"line " + std::to_string(line) + ", column " + std::to_string(column) + " (byte offset "
                       + std::to_string(at - begin) + ")",
                   what + ": an import file is UTF-8 text, and none of this one is read"};
}

std::optional<Refusal> readAsUtf8(std::string_view& text, std::string& converted)
{
    const bool little = text.starts_with("\xFF\xFE");
    if (little || text.starts_with("\xFE\xFF")) {
        if (auto fault = fromUtf16(text, !little, converted))
            return fault;
        text = converted;
    }
    return textFault(text);
}
