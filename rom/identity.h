#pragma once

#include "rom/result.h"

#include <cstdint>
#include <filesystem>

// The signed 32-bit little-endian value at the identity position of a file.
Result<std::int32_t> readIdentityValue(const std::filesystem::path& path);

// Makes an accepted image writable again; failures are ignored.
void clearReadOnly(const std::filesystem::path& path);
