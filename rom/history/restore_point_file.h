#pragma once

#include "rom/history/restore_points.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The files of a restore folder. A point is one file named by the UTC time it
// was taken, its writer, and its length and CRC-32 (since these were added):
//   2026-12-11_04-42-05.120Z.veldra-cli-set.4194304-1c291ca3.sfc
// The check is part of the name, not a file beside it, so that the two are
// made, renamed and deleted as one. A point taken before there were checks
// has none in its name:
//   2026-12-11_04-42-05.120Z.veldra-cli-set.sfc
// and is listed and restored as before, judged on its length alone.

// The points in `folder`, newest first; none when the folder is missing.
Result<std::vector<RestorePoint>> pointsIn(const std::filesystem::path& folder);

// Writes `bytes` as a new point in `folder` (made when missing) by `writer`,
// and returns it. Nothing else in the folder changes.
Result<RestorePoint> writePoint(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes,
                                const std::string& writer);

// Lets the oldest points in `folder` go beyond the newest `keep`. `spare` (the
// point just restored) stays and counts for none of them: it goes as the
// oldest when the next point is kept. A point that cannot be removed stays.
void prunePoints(const std::filesystem::path& folder, std::size_t keep, const std::filesystem::path& spare = {});

// The point's bytes, refused when they are not the length or the CRC-32 its
// name records (cut short, damaged), naming the point.
Result<Bytes> readPointChecked(const RestorePoint& point);
