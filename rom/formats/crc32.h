#pragma once

#include <cstdint>
#include <span>

// The CRC32 (as zip and the patch formats use it) of a block of bytes.
std::uint32_t crc32Of(std::span<const std::uint8_t> bytes);
