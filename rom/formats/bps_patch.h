#pragma once

#include "rom/result.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// BPS patches: "BPS1", the source, target and metadata sizes as variable-length
// numbers, the metadata, a list of actions (source read, target read, source
// copy, target copy) and the CRC32s of source, target and patch.
inline constexpr std::uint64_t kMaxPatchedImageSize = 64u << 20;

// A patch that turns `source` into `target`, carrying only what differs.
std::vector<std::uint8_t> createBps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                                    std::string_view metadata = {});

// The target the patch makes from `source`. Every size, offset and CRC in the
// patch is checked: a patch that fails any check gives no bytes at all.
// `metadata`, when given, receives the patch's metadata text.
Result<std::vector<std::uint8_t>> applyBps(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch,
                                           std::string* metadata = nullptr);

// The variable-length numbers of the format, exposed for hand-built test patches.
void appendBpsNumber(std::vector<std::uint8_t>& out, std::uint64_t value);
