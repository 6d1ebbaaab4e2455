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
// recorded state (or has no point yet).

struct ImageState {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const ImageState&) const = default;
};

ImageState imageStateOf(std::span<const std::uint8_t> bytes);

// Bytes written at a place of the image.
struct ImagePatch {
    std::size_t at = 0;
    std::span<const std::uint8_t> bytes;
};

// Writes the patches into `image` (whose state is `was`) and returns its new
// state, hashing again only the parts they touch.
ImageState patchImage(ImageState was, Bytes& image, std::span<const ImagePatch> patches);

struct ImageMark {
    ImageState state;
    std::uint64_t journalSize = 0;  // the image's journal file's length when the state was recorded
};

// The mark recorded in the history folder `folder`; nothing when there is
// none or it cannot be read (a state recorded by an older program, a damaged file).
std::optional<ImageMark> readImageMark(const std::filesystem::path& folder);

// Records `bytes` as the state the program left the image in, with the
// journal's length now. Failing quietly: without it the next run keeps a
// restore point and judges the last step by its records, as before.
void recordImageState(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes);
void recordImageState(const std::filesystem::path& folder, const ImageState& state);

// The same for the image open for writing, read whole (history off, or no
// history folder: nothing).
void recordImageWritten(const RomImage::Writer& file);

// Whether `bytes` are the image as the program last left it.
bool imageAsLeft(const std::filesystem::path& folder, std::span<const std::uint8_t> bytes);
