#pragma once

#include "rom/rom_image.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The game's one-byte character code. Byte values without a character map to "".
const std::array<std::string_view, 256>& CharTable();

// Decodes a slot: bytes without a character vanish, 0xF1 gives "...".
std::string decodeGameText(std::span<const std::uint8_t> bytes);

// Encodes `text` (UTF-8) over `slot` in place: the text is padded with blanks to
// the slot's length and cut to it; a character without a code leaves the byte
// already at its place unchanged.
void encodeGameText(std::string_view text, std::span<std::uint8_t> slot);

// Whether the codec can store `text` in a slot of `length` bytes exactly as
// given: no longer than the slot, and every character one of the game's.
// The reason names `label`.
Status checkGameText(std::string_view text, std::size_t length, std::string_view label);

Result<std::string> ReadGameText(const RomImage& image, std::int32_t position, std::int16_t count);
// Writes the whole slot in one call.
Status WriteGameText(const RomImage& image, std::int32_t position, std::string_view text, std::int16_t length);
