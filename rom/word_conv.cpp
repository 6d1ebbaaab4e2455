#include "rom/word_conv.h"

#include <string>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::int64_t HexToUnsigned(std::string_view text)
{
    std::string_view digits = text;
    if (digits.size() >= 2 && digits[0] == '&' && (digits[1] == 'H' || digits[1] == 'h'))
        digits.remove_prefix(2);
    std::string padded = "0000000" + std::string(digits);
    if (padded.size() > 8)
        padded = padded.substr(padded.size() - 8);
    std::int64_t value = 0;
    for (char c : padded) {
        const int d = hexDigit(c);
        if (d < 0)
            return 0;
        value = value * 16 + d;
    }
    return value;
}

std::optional<std::int16_t> UnsignedToSigned(std::int32_t value)
{
    if (value < 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::int16_t>(value > 32767 ? value - 65536 : value);
}
