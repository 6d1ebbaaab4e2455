#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

// The image holds 16-bit values as signed little-endian words; the editors
// show them as 0..65535.

// Up to 8 hexadecimal digits, optionally after "&H"; a longer text keeps only
// its last 8 digits. 0 for anything that is not hexadecimal.
std::int64_t HexToUnsigned(std::string_view text);

// The unsigned value of a number's two's-complement bits in its own width:
// the word -1 gives 65535, -32768 gives 32768.
template <std::integral T>
std::int64_t SignedToUnsigned(T value)
{
    return static_cast<std::int64_t>(static_cast<std::make_unsigned_t<T>>(value));
}

// 0..32767 unchanged, 32768..65535 less 65536; no word for anything else
// (the caller refuses the save with kWordConversionError).
std::optional<std::int16_t> UnsignedToSigned(std::int32_t value);
