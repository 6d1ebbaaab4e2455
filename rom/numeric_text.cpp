#include "rom/numeric_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::optional<double> hexValue(std::string_view digits)
{
    if (digits.empty() || digits.size() > 16)
        return std::nullopt;
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return static_cast<double>(v);
}

// sign? (digits [. digits?] | . digits) ([eE] sign? digits)?
bool isDecimal(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

// Whether an unsigned decimal text whose value a double cannot hold is too
// large (rather than too close to 0): the order of magnitude of its first
// significant digit plus its exponent. Such a text lies hundreds of orders
// away from 1, so the sign of that sum cannot be in doubt.
bool beyondLargestDouble(std::string_view s)
{
    const std::size_t e = s.find_first_of("eE");
    const std::string_view mantissa = s.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return false;  // zero
    std::int64_t order = first < point ? std::int64_t(point - first) - 1 : -std::int64_t(first - point);
    std::int64_t exponent = 0;
    bool negativeExponent = false;
    if (e != std::string_view::npos) {
        std::string_view digits = s.substr(e + 1);
        if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
            negativeExponent = digits.front() == '-';
            digits.remove_prefix(1);
        }
        for (char c : digits)
            exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), 1'000'000'000);
    }
    order += negativeExponent ? -exponent : exponent;
    return order >= 0;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::optional<double> numericValue(std::string_view text, Notation notation)
{
    std::string_view s = trimmed(text);
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h'))
        return hexValue(s.substr(2));
    if (notation == Notation::Tool && s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return hexValue(s.substr(2));
    if (!isDecimal(s))
        return std::nullopt;
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (end != s.data() + s.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range)  // far outside every field's range, or as good as 0
        v = beyondLargestDouble(s) ? std::numeric_limits<double>::infinity() : 0.0;
    else if (ec != std::errc())
        return std::nullopt;
    return negative ? -v : v;
}

std::optional<std::int64_t> roundHalfEven(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 9.0e15)
        return std::nullopt;
    const double whole = std::floor(value);
    const double diff = value - whole;
    double r = whole;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(whole, 2.0) != 0.0))
        r = whole + 1.0;
    return static_cast<std::int64_t>(r);
}

std::string applyEntryRule(EntryRule rule, std::string_view text, Notation notation)
{
    switch (rule) {
    case EntryRule::None:
        break;
    case EntryRule::ClampedByte:
        if (text.empty())
            return "0";
        if (auto v = numericValue(text, notation); v && *v >= 255.0)
            return "255";
        break;
    case EntryRule::OpenEnded:
        if (text.empty())
            return "0";
        break;
    case EntryRule::NonNegative:
        if (auto v = numericValue(text, notation); v && *v < 0.0)
            return "0";
        break;
    }
    return std::string(text);
}

Result<std::int64_t> wholeFromText(std::string_view text, std::string_view label, std::int64_t min, std::int64_t max,
                                   Notation notation)
{
    const auto reason = [&] {
        return std::string(label) + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max)
               + "; it holds " + quoted(text) + ".";
    };
    const auto value = numericValue(text, notation);
    if (!value)
        return Result<std::int64_t>::failure(reason());
    const auto whole = roundHalfEven(*value);
    if (!whole || *whole < min || *whole > max)
        return Result<std::int64_t>::failure(reason());
    return *whole;
}

Result<std::uint8_t> byteFromText(std::string_view text, std::string_view label, Notation notation)
{
    auto v = wholeFromText(text, label, 0, 255, notation);
    if (!v)
        return Result<std::uint8_t>::failure(v.error());
    return static_cast<std::uint8_t>(*v);
}

Result<std::uint16_t> wordFromText(std::string_view text, std::string_view label, Notation notation)
{
    auto v = wholeFromText(text, label, 0, 65535, notation);
    if (!v)
        return Result<std::uint16_t>::failure(std::string(kWordConversionError) + "\n\n" + v.error());
    return static_cast<std::uint16_t>(*v);
}
