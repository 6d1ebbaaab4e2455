#pragma once

#include "rom/result.h"
#include "rom/tables.h"

#include <cstdint>
#include <filesystem>
#include <span>

// The identity value the four bytes at the identity position hold: a signed
// 32-bit little-endian number.
std::int32_t decodeIdentity(std::span<const std::uint8_t, 4> bytes);

// Whether a value read at the identity position marks an image of the game.
constexpr bool isGameIdentity(std::int32_t value) { return value == kIdentityValue; }

// The identity value of a file.
Result<std::int32_t> readIdentityValue(const std::filesystem::path& path);

// Makes an accepted image writable again; failures are ignored.
void clearReadOnly(const std::filesystem::path& path);
