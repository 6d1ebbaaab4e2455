#include "rom/history/checked_write.h"

#include "rom/files.h"
#include "rom/history/data_folder.h"
#include "rom/history/image_state.h"
#include "rom/platform/path_text.h"
#include "rom/history/restore_points.h"

#include <algorithm>
#include <set>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

CheckedWrite failed(CheckedWrite::Outcome outcome, std::string message, Bytes found = {}, std::size_t which = 0)
{
    return {outcome, std::move(message), std::move(found), which};
}

bool holds(const Result<Bytes>& bytes, std::span<const std::uint8_t> wanted)
{
    return bytes && std::equal(bytes->begin(), bytes->end(), wanted.begin(), wanted.end());
}

// A write that failed may have stopped part-way (a file size limit, a full
// disk, an I/O error): say what the record holds now, and put the expected
// bytes back where some of the new ones went in.
std::string afterFailedWrite(const RomImage::Writer& image, const Table& table, int index, std::uint32_t position,
                             std::span<const std::uint8_t> expected, const std::string& reason)
{
    const std::string entry = entryName(table, index);
    if (holds(image.read(position, table.recordSize), expected))
        return reason + "; " + entry + " is as it was";
    (void)image.write(position, expected);  // judged by what the file holds afterwards, not by its status
    if (holds(image.read(position, table.recordSize), expected))
        return reason + "; the write stopped part-way, and " + entry + " was put back as it was";
    return reason + "; the write stopped part-way, and " + entry
           + " could not be put back: it may hold part of the new values";
}

// For the tests of a run that ends part-way through a step:
// VELDRA_FORGE_TEST_PAUSE="N:FILE" makes the process, once it has written its
// Nth record, make FILE and wait there (for the test to kill it).
void pauseHereForTests()
{
    static const char* const setting = std::getenv("VELDRA_FORGE_TEST_PAUSE");
    static int written = 0;
    if (!setting)
        return;
    const std::string text = setting;
    const auto colon = text.find(':');
    if (colon == std::string::npos || ++written != std::atoi(text.substr(0, colon).c_str()))
        return;
    std::ofstream(text.substr(colon + 1)) << "paused\n";
    for (int i = 0; i < 600; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::_Exit(3);
}

// Adds (sign +1) or takes away (-1) the hash shares of the image's blocks as they are now.
bool shareOfBlocks(const RomImage::Writer& file, const std::set<std::size_t>& blocks, std::uint64_t& hash, int sign)
{
    for (const std::size_t block : blocks) {
        const std::uint64_t at = block * kImageBlock;
        const auto bytes = file.read(static_cast<std::uint32_t>(at), static_cast<std::size_t>(std::min<std::uint64_t>(kImageBlock, file.size() - at)));
        if (!bytes)
            return false;
        const std::uint64_t share = imageBlockShare(*bytes, block);
        hash = sign > 0 ? hash + share : hash - share;
    }
    return true;
}

}  // namespace

std::string entryName(const Table& table, int index)
{
    return "entry " + std::to_string(index) + " of the " + std::string(table.name) + " table";
}

CheckedWrite writeChecked(const RomImage& image, const Table& table, int index, std::span<const std::uint8_t> expected,
                          std::span<const std::uint8_t> record)
{
    const ExpectedWrite write{&table, index, Bytes(expected.begin(), expected.end()), Bytes(record.begin(), record.end())};
    return writeCheckedAll(image, {&write, 1});
}

CheckedWrite writeCheckedAll(const RomImage& image, std::span<const ExpectedWrite> writes, const BeforeWrite& beforeWrite)
{
    using enum CheckedWrite::Outcome;
    std::vector<std::uint32_t> positions;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ExpectedWrite& w = writes[i];
        const auto position = recordPosition(*w.table, w.index);
        if (!position)
            return failed(Failed, position.error(), {}, i);
        if (w.expected.size() != w.table->recordSize || w.record.size() != w.table->recordSize)
            return failed(Failed, "internal error: a record of the " + std::string(w.table->name) + " table has "
                                      + std::to_string(w.table->recordSize) + " bytes, not "
                                      + std::to_string(w.record.size()), {}, i);
        positions.push_back(*position);
    }
    // one open holds the writers' lock from the first check to the last
    // write, so no other writer can change a record between the two
    const auto opened = image.openForWriting();
    if (!opened)
        return failed(Failed, opened.error());
    const RomImage::Writer& file = *opened;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ExpectedWrite& w = writes[i];
        const auto onDisk = file.read(positions[i], w.table->recordSize);
        if (!onDisk)
            return failed(Failed, onDisk.error(), {}, i);
        if (*onDisk != w.expected)
            return failed(ChangedOnDisk,
                          entryName(*w.table, w.index) + " was changed in " + image.path().string()
                              + " since it was read here: nothing was saved",
                          *onDisk, i);
    }
    // with the history on: a restore point is kept when the image is not as
    // the program left it, and the state these writes leave is recorded
    const auto folder = historyFolderFor(file.path());
    const bool tracked = folder && !historyTurnedOff(*folder) && file.size() <= kMaxInputSize;
    ImageState state;
    std::set<std::size_t> blocks;  // the blocks of the image these writes touch
    if (tracked) {
        const auto mark = readImageMark(*folder);
        const std::int64_t time = imageWriteTime(file.path());
        // the size and last write time recorded: taken as left without reading it whole
        const bool unchanged = mark && time != 0 && mark->writeTime == time && mark->state.size == file.size();
        std::optional<Bytes> whole;
        if (unchanged) {
            state = mark->state;
        } else {
            auto bytes = file.read(0, static_cast<std::size_t>(file.size()));
            if (!bytes)
                return failed(Failed, bytes.error());
            whole = std::move(bytes.value());
            state = imageStateOf(*whole);
        }
        const bool asLeft = unchanged || (mark && mark->state == state);
        // the point needs the image's bytes only when it is kept: as left, when there is none yet
        if (!whole && !hasRestorePoint(file.path())) {
            auto bytes = file.read(0, static_cast<std::size_t>(file.size()));
            if (!bytes)
                return failed(Failed, bytes.error());
            whole = std::move(bytes.value());
        }
        if (const Status kept = keepRestorePointBeforeWrite(file, whole ? std::span<const std::uint8_t>(*whole)
                                                                        : std::span<const std::uint8_t>(),
                                                            asLeft);
            !kept)
            return failed(Failed, kept.error());
        for (std::size_t i = 0; i < writes.size(); ++i)
            for (std::size_t at = positions[i]; at < positions[i] + writes[i].record.size(); at = (at / kImageBlock + 1) * kImageBlock)
                blocks.insert(at / kImageBlock);
        if (!shareOfBlocks(file, blocks, state.hash, -1))
            return failed(Failed, "cannot read " + pathToUtf8(file.path()));
    } else if (const Status kept = keepRestorePointBeforeFirstWrite(file); !kept) {
        return failed(Failed, kept.error());
    }
    if (beforeWrite) {
        if (Status ready = beforeWrite(); !ready)
            return failed(Failed, ready.error() + "; nothing was saved");
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ExpectedWrite& w = writes[i];
        const Status written = file.write(positions[i], w.record);
        if (written) {
            pauseHereForTests();
            continue;
        }
        std::string message = afterFailedWrite(file, *w.table, w.index, positions[i], w.expected, written.error());
        for (std::size_t j = i; j-- > 0;) {
            const ExpectedWrite& done = writes[j];
            const bool back = file.write(positions[j], done.expected) && holds(file.read(positions[j], done.table->recordSize), done.expected);
            message += "; " + entryName(*done.table, done.index) + ", written before, "
                       + (back ? "was put back" : "could not be put back");
        }
        return failed(Failed, std::move(message), {}, i);
    }
    if (tracked && shareOfBlocks(file, blocks, state.hash, +1))
        recordImageState(*folder, file.path(), state);
    return {Written, {}, {}, 0};
}
