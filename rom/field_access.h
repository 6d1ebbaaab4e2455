#pragma once

#include "rom/tables.h"

#include <cstdint>
#include <span>

// The value of one numeric field of a record as its editor shows it: a byte,
// an unsigned word, or a bit (0 or 1). Text fields go through the game text
// codec instead.
std::uint32_t readField(const Field& field, std::span<const std::uint8_t> record);
// Stores `value` (at most fieldMax) in the field's bytes or bit; every other
// byte and bit of the record keeps its value.
void writeField(const Field& field, std::span<std::uint8_t> record, std::uint32_t value);
// 255, 65535 or 1; 0 for a text field.
std::uint32_t fieldMax(const Field& field);
// How many bytes the field covers in a record of `recordSize` bytes.
std::size_t fieldSize(const Field& field, std::size_t recordSize);
