#pragma once

#include "rom/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

enum class PatchFormat { Bps, Ips };

// ".bps" or ".ips", in any case; nothing for other names.
std::optional<PatchFormat> patchFormatFromExtension(const std::filesystem::path& path);
// "bps" or "ips", as a user names the format.
std::optional<PatchFormat> patchFormatFromName(std::string_view name);
std::string_view patchFormatName(PatchFormat format);

Result<std::vector<std::uint8_t>> createPatch(PatchFormat format, std::span<const std::uint8_t> source,
                                              std::span<const std::uint8_t> target);
// Applies a BPS or IPS patch, told apart by its first bytes.
Result<std::vector<std::uint8_t>> applyPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch);
