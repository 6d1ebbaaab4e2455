#include "rom/history/restore_points.h"

#include "rom/files.h"
#include "rom/history/data_folder.h"
#include "rom/history/image_state.h"
#include "rom/image_facts.h"
#include "rom/platform/path_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::string_view kExtension = ".sfc";
constexpr std::size_t kTimeLength = 24;  // "2026-12-11_04-42-05.120Z"

struct RunState {
    std::mutex mutex;
    std::string writer = "veldra-forge";
    std::set<std::string> kept;  // history folders of the images kept in this run
};

RunState& run()
{
    static RunState state;
    return state;
}

std::string slug(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (word || (c >= 'A' && c <= 'Z'))
            out += word ? c : char(c - 'A' + 'a');
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out.empty() ? "unknown" : out;
}

std::string timeName(system_clock::time_point when)
{
    const auto ms = floor<milliseconds>(when);
    const auto day = floor<days>(ms);
    const year_month_day date{day};
    const hh_mm_ss clock{ms - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u_%02d-%02d-%02d.%03dZ", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(clock.hours().count()), int(clock.minutes().count()),
                  int(clock.seconds().count()), int(clock.subseconds().count()));
    return text;
}

int number(std::string_view text)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size()) ? value : -1;
}

// The time a point's name stands for; nothing for a name of another shape.
std::optional<system_clock::time_point> timeOfName(std::string_view name)
{
    if (name.size() < kTimeLength || name[4] != '-' || name[7] != '-' || name[10] != '_' || name[13] != '-'
        || name[16] != '-' || name[19] != '.' || name[23] != 'Z')
        return std::nullopt;
    const int y = number(name.substr(0, 4)), mo = number(name.substr(5, 2)), d = number(name.substr(8, 2));
    const int h = number(name.substr(11, 2)), mi = number(name.substr(14, 2)), s = number(name.substr(17, 2));
    const int ms = number(name.substr(20, 3));
    const year_month_day date{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
    if (y < 0 || !date.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 60 || ms < 0)
        return std::nullopt;
    if (name.size() > kTimeLength && (name[kTimeLength] != '-' || number(name.substr(kTimeLength + 1)) < 2))
        return std::nullopt;
    return sys_days{date} + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

// The point a file of the restore folder is, if it is one.
std::optional<RestorePoint> pointOfFile(const fs::directory_entry& entry)
{
    std::error_code error;
    if (!entry.is_regular_file(error))
        return std::nullopt;
    const std::string file = pathToUtf8(entry.path().filename());
    if (file.size() <= kExtension.size() || !file.ends_with(kExtension))
        return std::nullopt;
    const std::string stem = file.substr(0, file.size() - kExtension.size());
    const auto dot = stem.rfind('.');
    if (dot == std::string::npos || dot < kTimeLength)
        return std::nullopt;
    RestorePoint point;
    point.name = stem.substr(0, dot);
    point.writer = stem.substr(dot + 1);
    const auto when = timeOfName(point.name);
    if (!when)
        return std::nullopt;
    point.time = *when;
    point.file = entry.path();
    point.size = entry.file_size(error);
    return point;
}

// "…Z" before "…Z-2" before "…Z-3": the order the points were taken in
bool newerFirst(const RestorePoint& a, const RestorePoint& b)
{
    if (a.time != b.time)
        return a.time > b.time;
    const auto suffix = [](const std::string& name) {
        return name.size() > kTimeLength ? number(std::string_view(name).substr(kTimeLength + 1)) : 1;
    };
    return suffix(a.name) > suffix(b.name);
}

Result<std::vector<RestorePoint>> pointsIn(const fs::path& folder)
{
    using R = Result<std::vector<RestorePoint>>;
    std::vector<RestorePoint> points;
    std::error_code error;
    if (!fs::exists(folder, error))
        return points;
    fs::directory_iterator it(folder, error);
    if (error)
        return R::failure("cannot list the restore points in " + pathToUtf8(folder) + ": " + error.message());
    for (const auto& entry : it)
        if (auto point = pointOfFile(entry))
            points.push_back(std::move(*point));
    std::sort(points.begin(), points.end(), newerFirst);
    return points;
}

fs::path keptCountFile(const fs::path& dataFolder) { return dataFolder / "restore-points-kept"; }

// Lets the oldest points go beyond the number kept; a point that cannot be
// removed stays (it costs room, nothing else).
void pruneOldest(const fs::path& folder)
{
    auto points = pointsIn(folder);
    if (!points)
        return;
    const auto keep = std::size_t(keptRestorePoints());
    for (std::size_t i = keep; i < points->size(); ++i) {
        std::error_code error;
        fs::remove((*points)[i].file, error);
    }
}

}  // namespace

std::string restorePointTimeText(const RestorePoint& point)
{
    const std::string& n = point.name;
    return n.substr(0, 10) + " " + n.substr(11, 2) + ":" + n.substr(14, 2) + ":" + n.substr(17, 2) + " UTC";
}

void setRestorePointWriter(std::string_view writer)
{
    std::lock_guard lock(run().mutex);
    run().writer = std::string(writer);
}

void forgetRestorePointsOfThisRun()
{
    std::lock_guard lock(run().mutex);
    run().kept.clear();
}

Status keepRestorePoint(const fs::path& image, std::span<const std::uint8_t> bytes)
{
    const auto history = historyFolderFor(image);
    if (!history)
        return Status::failure(history.error());
    if (historyTurnedOff(*history))
        return success();
    const fs::path folder = *history / "restore";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        return Status::failure("cannot make the folder " + pathToUtf8(folder) + ": " + error.message());
    std::string writer;
    {
        std::lock_guard lock(run().mutex);
        writer = slug(run().writer);
    }
    const std::string time = timeName(system_clock::now());
    // two points within one millisecond get a number after the time
    for (int attempt = 1; attempt < 100; ++attempt) {
        const std::string name = attempt == 1 ? time : time + "-" + std::to_string(attempt);
        bool taken = false;
        for (const auto& entry : fs::directory_iterator(folder, error))
            taken = taken || pathToUtf8(entry.path().filename()).starts_with(name + ".");
        if (taken)
            continue;
        const fs::path file = folder / pathFromUtf8(name + "." + writer + std::string(kExtension));
        const Status written = writeNewFile(file, bytes, Existing::Refuse);
        if (!written)
            return written;
        pruneOldest(folder);
        return success();
    }
    return Status::failure("cannot name a new restore point in " + pathToUtf8(folder));
}

Status keepRestorePointBeforeFirstWrite(const RomImage::Writer& file)
{
    const std::string image = pathToUtf8(file.path());
    const auto refuse = [&](const std::string& reason) {
        return Status::failure("nothing was written to " + image + ": its restore point could not be kept ("
                               + reason + ")");
    };
    const auto history = historyFolderFor(file.path());
    if (!history)
        return refuse(history.error());
    if (historyTurnedOff(*history))
        return success();
    if (file.size() > kMaxInputSize)
        return refuse("the file is larger than " + std::to_string(kMaxInputSize >> 20) + " MiB");
    const auto bytes = file.read(0, std::size_t(file.size()));
    if (!bytes)
        return refuse(bytes.error());
    return keepRestorePointBeforeWrite(file, *bytes, imageAsLeft(*history, *bytes));
}

Status keepRestorePointBeforeWrite(const RomImage::Writer& file, std::span<const std::uint8_t> bytes, bool asLeft)
{
    const std::string image = pathToUtf8(file.path());
    const auto refuse = [&](const std::string& reason) {
        return Status::failure("nothing was written to " + image + ": its restore point could not be kept ("
                               + reason + ")");
    };
    const auto history = historyFolderFor(file.path());
    if (!history)
        return refuse(history.error());
    const std::string key = pathToUtf8(*history);
    if (historyTurnedOff(*history))
        return success();
    // the image as the program left it is already in a point or in the
    // journal: only an image changed by another program since (or one
    // without any point) needs a copy
    if (asLeft) {
        std::lock_guard lock(run().mutex);
        const auto points = pointsIn(*history / "restore");
        if (run().kept.contains(key) || (points && !points->empty()))
            return success();
    }
    if (bytes.size() != file.size())
        return refuse("the image was not read whole");
    if (const Status kept = keepRestorePoint(file.path(), bytes); !kept)
        return refuse(kept.error());
    std::lock_guard lock(run().mutex);
    run().kept.insert(key);
    return success();
}

bool hasRestorePoint(const fs::path& image)
{
    const auto points = listRestorePoints(image);
    return points && !points->empty();
}

Result<std::vector<RestorePoint>> listRestorePoints(const fs::path& image)
{
    const auto history = historyFolderFor(image);
    if (!history)
        return Result<std::vector<RestorePoint>>::failure(history.error());
    return pointsIn(*history / "restore");
}

Result<RestorePoint> findRestorePoint(const fs::path& image, std::string_view nameOrNumber)
{
    using R = Result<RestorePoint>;
    auto points = listRestorePoints(image);
    if (!points)
        return R::failure(points.error());
    if (points->empty())
        return R::failure(pathToUtf8(image) + " has no restore points");
    if (const int n = number(nameOrNumber); n >= 1) {
        if (std::size_t(n) > points->size())
            return R::failure("there is no restore point " + std::string(nameOrNumber) + ": " + pathToUtf8(image)
                              + " has " + std::to_string(points->size()));
        return (*points)[std::size_t(n) - 1];
    }
    for (const RestorePoint& point : *points)
        if (point.name == nameOrNumber)
            return point;
    return R::failure("there is no restore point \"" + std::string(nameOrNumber) + "\" of " + pathToUtf8(image)
                      + " (veldra-cli restore IMAGE --list shows them)");
}

int keptRestorePoints()
{
    const auto folder = dataFolder();
    if (!folder)
        return kDefaultKeptPoints;
    std::ifstream in(keptCountFile(*folder));
    int count = 0;
    if (in >> count && count >= 1 && count <= kMaxKeptPoints)
        return count;
    return kDefaultKeptPoints;
}

Status setKeptRestorePoints(int count)
{
    if (count < 1 || count > kMaxKeptPoints)
        return Status::failure("the number of restore points kept must be from 1 to " + std::to_string(kMaxKeptPoints));
    const auto folder = dataFolder();
    if (!folder)
        return Status::failure(folder.error());
    std::error_code error;
    fs::create_directories(*folder, error);
    if (error)
        return Status::failure("cannot make the folder " + pathToUtf8(*folder) + ": " + error.message());
    const std::string text = std::to_string(count) + "\n";
    return writeNewFile(keptCountFile(*folder), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                        Existing::Replace);
}

namespace {

// the game as the editors take it, or with a copier header (checksum --fix writes those)
bool isTheGame(std::span<const std::uint8_t> bytes) { return isGameImage(bytes) || hasCopierHeader(bytes); }

Result<Bytes> readPoint(const RestorePoint& point)
{
    auto bytes = readWholeFile(point.file);
    if (!bytes)
        return bytes;
    if (!isTheGame(*bytes))
        return Result<Bytes>::failure("the restore point " + point.name + " (" + pathToUtf8(point.file)
                                      + ") is not an image of Veldra Saga; nothing was written");
    return bytes;
}

}  // namespace

Status restoreToNewFile(const RestorePoint& point, const fs::path& output)
{
    const auto bytes = readPoint(point);
    if (!bytes)
        return Status::failure(bytes.error());
    return writeNewFile(output, *bytes, Existing::Refuse);
}

Status restoreInPlace(const fs::path& image, const RestorePoint& point)
{
    // the file itself, not a link to it: a linked image stays linked
    const auto canonical = canonicalImagePath(image);
    if (!canonical)
        return Status::failure(canonical.error());
    const auto bytes = readPoint(point);
    if (!bytes)
        return Status::failure(bytes.error());
    // the identity is judged below on the whole file, with or without copier header
    const RomImage target(*canonical, IdentityCheck::Skipped);
    const auto file = target.openForWriting();  // the lock is held until the new file is in place
    if (!file)
        return Status::failure(file.error() + "; nothing was restored");
    if (file->size() > kMaxInputSize)
        return Status::failure("cannot restore " + pathToUtf8(image) + ": it is larger than "
                               + std::to_string(kMaxInputSize >> 20) + " MiB");
    const auto now = file->read(0, std::size_t(file->size()));
    if (!now)
        return Status::failure(now.error());
    if (!isTheGame(*now))
        return Status::failure("cannot restore " + pathToUtf8(image) + ": it is not a Veldra Saga ROM; nothing was written");
    if (const Status kept = keepRestorePoint(*canonical, *now); !kept)
        return Status::failure("nothing was written to " + pathToUtf8(image)
                               + ": a restore point of it as it is now could not be kept (" + kept.error() + ")");
    if (const auto history = historyFolderFor(*canonical)) {
        // the point just kept is this run's copy from before its writes
        std::lock_guard lock(run().mutex);
        run().kept.insert(pathToUtf8(*history));
    }
    if (Status written = writeNewFile(*canonical, *bytes, Existing::Replace); !written)
        return written;
    // the image restored is a state the program left it in, not a change from outside
    if (const auto history = historyFolderFor(*canonical))
        recordImageState(*history, *canonical, *bytes);
    return success();
}
