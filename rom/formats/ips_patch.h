#pragma once

#include "rom/result.h"

#include <cstdint>
#include <span>
#include <vector>

// IPS patches: "PATCH", records of a 3-byte offset and a 2-byte length (a
// length of 0 marks a run-length record: 2-byte count, 1 byte value), "EOF",
// and an optional 3-byte length the result is cut to. Offsets end at 16 MiB.
inline constexpr std::size_t kIpsMaxImageSize = 16u << 20;
// A record starting here would read as "EOF": creation never starts one there.
inline constexpr std::uint32_t kIpsEofOffset = 0x454F46;

// A patch that turns `source` into `target`; refused for images over 16 MiB.
Result<std::vector<std::uint8_t>> createIps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// The target the patch makes from `source`; a truncated or malformed patch
// gives no bytes at all. IPS carries no checksum: what it was made for cannot
// be checked here.
Result<std::vector<std::uint8_t>> applyIps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch);
