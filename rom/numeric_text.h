#pragma once

#include "rom/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The notations a typed number may take: the windows' own, or those and "0x"
// hexadecimal, which the command-line tool takes besides.
enum class Notation : std::uint8_t {
    Window,
    Tool,
};

// What becomes of a typed value that its field would not keep as it is. A
// window adjusts it while the person watches the field: its change rule clamps
// a number into range, and a label that several list entries share picks the
// first of them. A script sees nothing of that, so there such a value is
// refused, naming the range or the entries.
enum class ValueFit : std::uint8_t {
    Adjust,
    Exact,
};

// The numeric value of a field's text: decimal with an optional sign, point and
// exponent, blanks around it ignored; a text starting with "&H" (with the tool's
// notation also "0x") is hexadecimal. No value for anything else (letters, a
// lone sign or point, blanks only).
std::optional<double> numericValue(std::string_view text, Notation notation = Notation::Window);

// Nearest whole number, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::optional<std::int64_t> roundHalfEven(double value);

// The change rules that keep an entry field's text in shape while it is edited.
enum class EntryRule : std::uint8_t {
    None,
    ClampedByte,  // empty -> "0"; a value of 255 or more -> "255"
    OpenEnded,    // empty -> "0"
    NonNegative,  // a value below 0 -> "0"
};

// The text a field ends up with after its rule has run on `text`
// (the rule's own nested re-run on the text it sets changes nothing further).
std::string applyEntryRule(EntryRule rule, std::string_view text, Notation notation = Notation::Window);

// Save-time conversions. The reason names the field's label and the range.
Result<std::int64_t> wholeFromText(std::string_view text, std::string_view label, std::int64_t min, std::int64_t max,
                                   Notation notation = Notation::Window);
Result<std::uint8_t> byteFromText(std::string_view text, std::string_view label, Notation notation = Notation::Window);
// 0..65535, shown unsigned and stored as a 16-bit word
Result<std::uint16_t> wordFromText(std::string_view text, std::string_view label, Notation notation = Notation::Window);

inline constexpr std::string_view kWordConversionError = "Error in conversion from Unsigned to nSigned Integer";
