#pragma once

#include "rom/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

// Whole-file reads of inputs and all-or-nothing writes of new files, for the
// commands that make a file (patches, patched images, copies without header).

// Inputs larger than this are refused rather than read into memory.
inline constexpr std::uint64_t kMaxInputSize = 64u << 20;

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path,
                                                std::uint64_t limit = kMaxInputSize);

enum class Existing { Refuse, Replace };

// Writes `bytes` to a temporary file in the output's folder and renames it into
// place only once it is complete and flushed, so that a failure (disk full,
// file size limit, permission) leaves neither a partial output nor a changed
// old one. An existing output is refused unless `existing` says Replace.
Status writeNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    Existing existing = Existing::Refuse);

// writeNewFile with Existing::Replace for a caller that holds `path` open
// (the writers' lock of an image it restores). Where the system cannot put a
// file in the place of one still open (Windows without POSIX renames: older
// versions, FAT volumes, Wine), `release` closes it just before the rename.
Status replaceOpenFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                       const std::function<void()>& release);

// The temporary files above are made so that one left by a run that ended
// before its rename (killed, a power cut) is told from one still being
// written: each new one removes those of ended runs from its folder.

// Appends `bytes` to the end of `path` (created when missing) and flushes them
// to the disk (fsync) before returning. A write that stops part-way (a full
// disk, a size limit) is cut off again, so the file keeps only what it held.
Status appendDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Whether two paths name one file (both must exist).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);
