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

}  // namespace

namespace {

constexpr std::size_t kBlock = 4096;

// One block's share of the hash: four lanes side by side (the whole image is
// hashed before every write, so this runs at memory speed), then mixed with
// the block's number, so that blocks cannot trade places unseen.
std::uint64_t blockTerm(std::span<const std::uint8_t> image, std::size_t block)
{
    std::uint64_t lanes[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull};
    const std::size_t from = block * kBlock;
    const std::size_t to = std::min(image.size(), from + kBlock);
    const std::uint8_t* p = image.data();
    std::size_t at = from;
    for (; at + 32 <= to; at += 32)
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t word = 0;
            std::memcpy(&word, p + at + 8 * lane, 8);
            lanes[lane] = mixIn(lanes[lane], word);
        }
    std::uint64_t term = block;
    for (const std::uint64_t lane : lanes)
        term = mixIn(term, lane);
    for (; at < to; ++at)
        term = mixIn(term, p[at]);
    return mixIn(term, block);
}

std::size_t blocksOf(std::size_t size) { return (size + kBlock - 1) / kBlock; }

}  // namespace

// The hash is the sum of the blocks' terms: a write changes only the terms of
// the blocks it touches.
ImageState imageStateOf(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 0;
    for (std::size_t block = 0; block < blocksOf(bytes.size()); ++block)
        hash += blockTerm(bytes, block);
    return {bytes.size(), hash};
}

ImageState patchImage(ImageState was, Bytes& image, std::span<const ImagePatch> patches)
{
    std::set<std::size_t> touched;
    for (const ImagePatch& patch : patches)
        for (std::size_t at = patch.at; at < patch.at + patch.bytes.size(); at = (at / kBlock + 1) * kBlock)
            if (at < image.size())
                touched.insert(at / kBlock);
    for (const std::size_t block : touched)
        was.hash -= blockTerm(image, block);
    for (const ImagePatch& patch : patches)
        if (patch.at + patch.bytes.size() <= image.size())
            std::copy(patch.bytes.begin(), patch.bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(patch.at));
    for (const std::size_t block : touched)
        was.hash += blockTerm(image, block);
    return was;
}

std::optional<ImageMark> readImageMark(const fs::path& folder)
{
    std::ifstream in(markFile(folder));
    std::string tag, sizeWord, hashWord, journalWord;
    ImageMark mark;
    if (!(in >> tag >> sizeWord >> mark.state.size >> hashWord >> std::hex >> mark.state.hash >> std::dec >> journalWord
          >> mark.journalSize))
        return std::nullopt;
    if (tag != "veldra-image-state-1" || sizeWord != "size" || hashWord != "hash" || journalWord != "journal")
        return std::nullopt;
    return mark;
}

void recordImageState(const fs::path& folder, std::span<const std::uint8_t> bytes)
{
    recordImageState(folder, imageStateOf(bytes));
}

void recordImageState(const fs::path& folder, const ImageState& state)
{
    if (historyTurnedOff(folder))
        return;
    std::error_code error;
    const std::uint64_t journal = fs::exists(folder / "journal", error) ? fs::file_size(folder / "journal", error) : 0;
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(state.hash));
    const std::string text = "veldra-image-state-1 size " + std::to_string(state.size) + " hash " + hash + " journal "
                             + std::to_string(error ? 0 : journal) + "\n";
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
        recordImageState(*folder, *bytes);
}

bool imageAsLeft(const fs::path& folder, std::span<const std::uint8_t> bytes)
{
    const auto mark = readImageMark(folder);
    return mark && mark->state == imageStateOf(bytes);
}
