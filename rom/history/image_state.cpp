#include "rom/history/image_state.h"

#include "rom/files.h"
#include "rom/history/data_folder.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <set>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMix = 0xFF51AFD7ED558CCDull;

std::uint64_t mixIn(std::uint64_t lane, std::uint64_t word)
{
    // xor and an odd multiply are each one-to-one on the lane, so a change of
    // any single word always changes the hash
    lane = (lane ^ word) * kMix;
    return lane ^ (lane >> 29);
}

fs::path markFile(const fs::path& folder) { return folder / "image-state"; }

std::size_t blocksOf(std::size_t size) { return (size + kImageBlock - 1) / kImageBlock; }

}  // namespace

// Four lanes side by side (the whole image is hashed at every reading of the
// history, so this runs at memory speed), then mixed with the block's
// number, so that blocks cannot trade places unseen.
std::uint64_t imageBlockShare(std::span<const std::uint8_t> bytes, std::size_t block)
{
    std::uint64_t lanes[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull};
    const std::uint8_t* p = bytes.data();
    std::size_t at = 0;
    for (; at + 32 <= bytes.size(); at += 32)
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t word = 0;
            std::memcpy(&word, p + at + 8 * lane, 8);
            lanes[lane] = mixIn(lanes[lane], word);
        }
    std::uint64_t share = block;
    for (const std::uint64_t lane : lanes)
        share = mixIn(share, lane);
    for (; at < bytes.size(); ++at)
        share = mixIn(share, p[at]);
    return mixIn(share, block);
}

ImageState imageStateOf(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 0;
    for (std::size_t block = 0; block < blocksOf(bytes.size()); ++block)
        hash += imageBlockShare(bytes.subspan(block * kImageBlock, std::min(kImageBlock, bytes.size() - block * kImageBlock)), block);
    return {bytes.size(), hash};
}

std::int64_t imageWriteTime(const fs::path& image)
{
    std::error_code error;
    const auto time = fs::last_write_time(image, error);
    return error ? 0 : static_cast<std::int64_t>(time.time_since_epoch().count());
}

std::optional<ImageMark> readImageMark(const fs::path& folder)
{
    std::ifstream in(markFile(folder));
    std::string tag, sizeWord, hashWord, journalWord, timeWord;
    ImageMark mark;
    if (!(in >> tag >> sizeWord >> mark.state.size >> hashWord >> std::hex >> mark.state.hash >> std::dec >> journalWord
          >> mark.journalSize >> timeWord >> mark.writeTime))
        return std::nullopt;
    if (tag != "veldra-image-state-1" || sizeWord != "size" || hashWord != "hash" || journalWord != "journal"
        || timeWord != "time")
        return std::nullopt;
    return mark;
}

void recordImageState(const fs::path& folder, const fs::path& image, std::span<const std::uint8_t> bytes)
{
    recordImageState(folder, image, imageStateOf(bytes));
}

void recordImageState(const fs::path& folder, const fs::path& image, const ImageState& state)
{
    if (historyTurnedOff(folder))
        return;
    std::error_code error;
    const std::uint64_t journal = fs::exists(folder / "journal", error) ? fs::file_size(folder / "journal", error) : 0;
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(state.hash));
    const std::string text = "veldra-image-state-1 size " + std::to_string(state.size) + " hash " + hash + " journal "
                             + std::to_string(error ? 0 : journal) + " time " + std::to_string(imageWriteTime(image)) + "\n";
    // written whole and renamed into place, but not flushed: a state lost to a
    // power cut only makes the next run keep a restore point and judge the
    // last step by its records
    fs::create_directories(folder, error);
    const fs::path next = markFile(folder).concat(".new");
    {
        std::ofstream out(next, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return;
    }
    fs::rename(next, markFile(folder), error);
}

void recordImageWritten(const RomImage::Writer& file)
{
    const auto folder = historyFolderFor(file.path());
    if (!folder || historyTurnedOff(*folder) || file.size() > kMaxInputSize)
        return;
    if (const auto bytes = file.read(0, static_cast<std::size_t>(file.size())))
        recordImageState(*folder, file.path(), *bytes);
}

bool imageAsLeft(const fs::path& folder, std::span<const std::uint8_t> bytes)
{
    const auto mark = readImageMark(folder);
    return mark && mark->state == imageStateOf(bytes);
}
