#pragma once

#include "rom/result.h"
#include "rom/rom_image.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Restore points: whole copies of an image as it was before a write, kept
// when the image is not as the program last left it (another program changed
// it) or has no point yet, and by every restore of the image it replaces;
// in the image's history folder under "restore". Each copy is one file named
// by the UTC time it was taken, its writer and its check
// (restore_point_file.h):
//   2026-12-11_04-42-05.120Z.veldra-cli-set.4194304-1c291ca3.sfc
// The time part is the point's name. The newest few are kept (10 unless the
// user chose otherwise); a file named "off" in the history folder keeps none
// before writes (a restore still keeps the image it replaces).

struct RestorePoint {
    std::string name;    // "2026-12-11_04-42-05.120Z"
    std::string writer;  // "veldra-cli-set", "veldra-forge"
    std::filesystem::path file;
    std::chrono::system_clock::time_point time;
    std::uint64_t size = 0;  // of the file as it is now
    struct Check {
        std::uint64_t size = 0;
        std::uint32_t crc32 = 0;
    };
    std::optional<Check> check;  // what it was kept with; none in points older than the checks
};

// "2026-12-11 04:42:05 UTC"
std::string restorePointTimeText(const RestorePoint& point);

inline constexpr int kDefaultKeptPoints = 10;
inline constexpr int kMaxKeptPoints = 100;

// The program or command that writes in this process, named in the points it
// keeps ("veldra-cli set"); set once at start.
void setRestorePointWriter(std::string_view writer);

// The one call every in-place writer makes with the image open for writing
// (its lock held), before it writes a byte: when the image is not the state
// the program last left it in (another program changed it, or no state was
// recorded) or it has no point yet, a copy of it as it is now is kept. A
// failure means the copy could not be made: the caller writes nothing and
// shows the reason. Turned off, or the image as the program left it: nothing
// to do (a script of a thousand sets keeps one point, not a thousand).
Status keepRestorePointBeforeFirstWrite(const RomImage::Writer& file);
// The same, for a writer that read the whole image already (`bytes`) and
// judged whether it is as the program last left it (image_state.h).
// `bytes` may be empty when `asLeft` and the image has a point.
Status keepRestorePointBeforeWrite(const RomImage::Writer& file, std::span<const std::uint8_t> bytes, bool asLeft);
// Whether any point of the image is kept.
bool hasRestorePoint(const std::filesystem::path& image);

// Keeps a copy of `bytes` (the image `image` as it is now) as a new point,
// whatever this run did before, and lets the oldest beyond the kept number go.
// Turned off: nothing kept, success.
Status keepRestorePoint(const std::filesystem::path& image, std::span<const std::uint8_t> bytes);

// The image's points, newest first. None (and no failure) when none were kept.
Result<std::vector<RestorePoint>> listRestorePoints(const std::filesystem::path& image);

// A point by its name as listed, or by its number in the list (1 = newest).
Result<RestorePoint> findRestorePoint(const std::filesystem::path& image, std::string_view nameOrNumber);

// The number of points kept per image, read from the data folder (the windows
// and the tool share it); kDefaultKeptPoints when not chosen.
int keptRestorePoints();
Status setKeptRestorePoints(int count);

// Writes the point to `output`, a new file: the point must be the game's image.
Status restoreToNewFile(const RestorePoint& point, const std::filesystem::path& output);

// Writes the point back over the image, whole, through a temporary file and a
// rename, under the writers' lock. The image must be the game now, and the
// point too, and the point must pass its check. A point of the image as it is
// now is kept first (even while its history is turned off), so that the
// restore can be undone by restoring that one; should the restore fail, that
// point goes again, and no point is let go before the restore is done (the
// one restored not even then).
Status restoreInPlace(const std::filesystem::path& image, const RestorePoint& point);

// Deletes the image's journal and every restore point of it (a history turned
// off stays off; the image itself is not touched), and forgets that this run
// kept a point of it: its next write keeps one again. `image` may be gone.
Status clearImageHistory(const std::filesystem::path& image);

// Forgets which images this process has already kept a point of, as a new run
// would (for tests).
void forgetRestorePointsOfThisRun();
