#include "rom/history/restore_points.h"

#include "rom/files.h"
#include "rom/history/data_folder.h"
#include "rom/history/image_state.h"
#include "rom/history/restore_point_file.h"
#include "rom/image_facts.h"
#include "rom/platform/path_text.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

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

int number(std::string_view text)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size()) ? value : -1;
}

fs::path keptCountFile(const fs::path& dataFolder) { return dataFolder / "restore-points-kept"; }

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

Status clearImageHistory(const fs::path& image)
{
    const auto history = historyFolderFor(image);
    if (!history)
        return Status::failure(history.error());
    {
        std::lock_guard lock(run().mutex);
        run().kept.erase(pathToUtf8(*history));
    }
    std::error_code error;
    if (!fs::exists(*history, error))
        return success();
    std::string failed;
    for (const auto& entry : fs::directory_iterator(*history, error)) {
        std::error_code removing;
        if (entry.path().filename() != "off")  // a history turned off stays off
            fs::remove_all(entry.path(), removing);
        if (removing && failed.empty())
            failed = pathToUtf8(entry.path()) + ": " + removing.message();
    }
    if (error && failed.empty())
        failed = pathToUtf8(*history) + ": " + error.message();
    if (!failed.empty())
        return Status::failure("not all of the history could be cleared (" + failed + ")");
    return success();
}

namespace {

std::string writerSlug()
{
    std::lock_guard lock(run().mutex);
    return slug(run().writer);
}

}  // namespace

namespace {

// A new point of `bytes` in the image's history folder `history`, the oldest
// beyond the kept number let go. Turned off: nothing kept, success.
Status keepPointIn(const fs::path& history, const fs::path& image, std::span<const std::uint8_t> bytes)
{
    if (historyTurnedOff(history))
        return success();
    const fs::path folder = history / "restore";
    if (const auto point = writePoint(folder, bytes, writerSlug()); !point)
        return Status::failure(point.error());
    (void)historyFolderFor(image);  // the folder is there now: this records the image in it
    prunePoints(folder, std::size_t(keptRestorePoints()));
    return success();
}

Status pointNotKept(const RomImage::Writer& file, const std::string& reason)
{
    return Status::failure("nothing was written to " + pathToUtf8(file.path()) + ": its restore point could not be kept ("
                           + reason + ")");
}

// The rule of every write: a point is kept only of an image that is not as
// the program left it (changed by another program since), or that has none.
Status keepBeforeWrite(const RomImage::Writer& file, const fs::path& history, std::span<const std::uint8_t> bytes,
                       bool asLeft)
{
    if (historyTurnedOff(history))
        return success();
    const std::string key = pathToUtf8(history);
    // the image as the program left it is already in a point or in the
    // journal: only an image changed by another program since (or one
    // without any point) needs a copy
    if (asLeft) {
        std::lock_guard lock(run().mutex);
        const auto points = pointsIn(history / "restore");
        if (run().kept.contains(key) || (points && !points->empty()))
            return success();
    }
    if (bytes.size() != file.size())
        return pointNotKept(file, "the image was not read whole");
    if (const Status kept = keepPointIn(history, file.path(), bytes); !kept)
        return pointNotKept(file, kept.error());
    std::lock_guard lock(run().mutex);
    run().kept.insert(key);
    return success();
}

}  // namespace

Status keepRestorePoint(const fs::path& image, std::span<const std::uint8_t> bytes)
{
    const auto history = historyFolderFor(image);
    if (!history)
        return Status::failure(history.error());
    return keepPointIn(*history, image, bytes);
}

Status keepRestorePointBeforeFirstWrite(const RomImage::Writer& file)
{
    const auto history = historyFolderFor(file.path());
    if (!history)
        return pointNotKept(file, history.error());
    if (historyTurnedOff(*history))
        return success();
    if (file.size() > kMaxInputSize)
        return pointNotKept(file, "the file is larger than " + std::to_string(kMaxInputSize >> 20) + " MiB");
    const auto bytes = file.read(0, std::size_t(file.size()));
    if (!bytes)
        return pointNotKept(file, bytes.error());
    return keepBeforeWrite(file, *history, *bytes, imageAsLeft(*history, *bytes));
}

Status keepRestorePointBeforeWrite(const RomImage::Writer& file, std::span<const std::uint8_t> bytes, bool asLeft)
{
    const auto history = historyFolderFor(file.path());
    if (!history)
        return pointNotKept(file, history.error());
    return keepBeforeWrite(file, *history, bytes, asLeft);
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
    auto bytes = readPointChecked(point);
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
    std::error_code gone;
    if (fs::symlink_status(image, gone).type() == fs::file_type::not_found)
        return Status::failure("cannot restore " + pathToUtf8(image) + " in place: there is no such file; "
                               "write the point to a new file instead; nothing was written");
    // the file itself, not a link to it: a linked image stays linked
    const auto canonical = canonicalImagePath(image);
    if (!canonical)
        return Status::failure(canonical.error());
    const auto history = historyFolderFor(*canonical);
    if (!history)
        return Status::failure(history.error());
    const auto bytes = readPoint(point);
    if (!bytes)
        return Status::failure(bytes.error());
    // the identity is judged below on the whole file, with or without copier header
    const RomImage target(*canonical, IdentityCheck::Skipped);
    auto opened = target.openForWriting();  // the lock is held until the new file is in place
    if (!opened)
        return Status::failure(opened.error() + "; nothing was restored");
    std::optional<RomImage::Writer> file(std::move(opened.value()));
    if (file->size() > kMaxInputSize)
        return Status::failure("cannot restore " + pathToUtf8(image) + ": it is larger than "
                               + std::to_string(kMaxInputSize >> 20) + " MiB");
    const auto now = file->read(0, std::size_t(file->size()));
    if (!now)
        return Status::failure(now.error());
    if (!isTheGame(*now))
        return Status::failure("cannot restore " + pathToUtf8(image) + ": it is not a Veldra Saga ROM; nothing was written");
    // kept whether or not the history is turned off: a restore never loses the
    // image it replaces; no point is let go before the restore is done
    const fs::path folder = *history / "restore";
    const auto kept = writePoint(folder, *now, writerSlug());
    if (!kept)
        return Status::failure("nothing was written to " + pathToUtf8(image)
                               + ": a restore point of it as it is now could not be kept (" + kept.error() + ")");
    const Status written = replaceOpenFile(*canonical, *bytes, [&] { file.reset(); });
    if (!written) {
        // the image is as it was: a point of it for a restore that did not happen would only push out older ones
        std::error_code error;
        fs::remove(kept->file, error);
        return Status::failure(written.error() + "; nothing was restored");
    }
    {
        // the point just kept is this run's copy from before its writes
        std::lock_guard lock(run().mutex);
        run().kept.insert(pathToUtf8(*history));
    }
    prunePoints(folder, std::size_t(keptRestorePoints()), point.file);
    // the image restored is a state the program left it in, not a change from outside
    recordImageState(*history, *canonical, *bytes);
    return success();
}
