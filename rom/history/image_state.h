#pragma once

#include "rom/rom_image.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

// The state the history last left an image in: its size and a hash of every
// byte, with the length the image's journal had then. Every write the
// program makes (a save, an undo or redo, the checksum fix, a restore, a
// text slot) records it afterwards in the image's history folder (file
// "image-state"). From it a later run tells
//   - an image changed by another program (or copied over) since: the state
//     differs while the journal has not grown;
//   - a step cut off by a crash: the journal grew past the state, and the
//     image is the recorded state with only that step's records changed.
// A restore point is kept before a write only when the image is not in the
// recorded state (or has no point yet). A writer takes the image as left
// without reading it whole when its size and last write time are those
// recorded (as make and rsync judge files); every reading of the history
// hashes it whole.

struct ImageState {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const ImageState&) const = default;
};

ImageState imageStateOf(std::span<const std::uint8_t> bytes);

// The hash is the sum of a share per block of 4 KiB, so that a write needs
// only the blocks it touches hashed again: the share of block `block`, whose
// bytes are `bytes` (shorter at the image's end).
inline constexpr std::size_t kImageBlock = 4096;
std::uint64_t imageBlockShare(std::span<const std::uint8_t> bytes, std::size_t block);

// The file's last write time as a number (0 when it cannot be read).
std::int64_t imageWriteTime(const std::filesystem::path& image);

struct ImageMark {
    ImageState state;
    std::uint64_t journalSize = 0;  // the image's journal file's length when the state was recorded
    std::int64_t writeTime = 0;      // the image file's last write time then
};

// The mark recorded in the history folder `folder`; nothing when there is
// none or it cannot be read (a state recorded by an older program, a damaged file).
std::optional<ImageMark> readImageMark(const std::filesystem::path& folder);

// Records `bytes` as the state the program left the image in, with the
// journal's length now. Failing quietly: without it the next run keeps a
// restore point and judges the last step by its records, as before.
void recordImageState(const std::filesystem::path& folder, const std::filesystem::path& image,
                      std::span<const std::uint8_t> bytes);
void recordImageState(const std::filesystem::path& folder, const std::filesystem::path& image, const ImageState& state);

// The same for the image open for writing, read whole (history off, or no
// history folder: nothing).
void recordImageWritten(const RomImage::Writer& file);

// Whether `bytes` are the image as the program last left it.
bool imageAsLeft(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes);
