#include "rom/history/image_state.h"

#include "rom/files.h"
#include "rom/history/data_folder.h"

#include <cstdio>
#include <cstring>
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

ImageState imageStateOf(std::span<const std::uint8_t> bytes)
{
    // four lanes side by side: the whole image is hashed at every write, so
    // this runs at memory speed
    std::uint64_t lanes[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull};
    const std::uint8_t* p = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t at = 0;
    for (; at + 32 <= n; at += 32)
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t word = 0;
            std::memcpy(&word, p + at + 8 * lane, 8);
            lanes[lane] = mixIn(lanes[lane], word);
        }
    std::uint64_t hash = n;
    for (const std::uint64_t lane : lanes)
        hash = mixIn(hash, lane);
    for (; at < n; ++at)
        hash = mixIn(hash, p[at]);
    return {n, hash};
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
    if (historyTurnedOff(folder))
        return;
    std::error_code error;
    const std::uint64_t journal = fs::exists(folder / "journal", error) ? fs::file_size(folder / "journal", error) : 0;
    const ImageState state = imageStateOf(bytes);
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(state.hash));
    const std::string text = "veldra-image-state-1 size " + std::to_string(state.size) + " hash " + hash + " journal "
                             + std::to_string(error ? 0 : journal) + "\n";
    fs::create_directories(folder, error);
    (void)writeNewFile(markFile(folder), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                       Existing::Replace);
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
