#pragma once

#include "rom/rom_image.h"

#include <filesystem>

// Whole-image access for tools that look at every table at once (dump, diff,
// import): one read of the file instead of one per record. Writes still go
// record by record through record_io.

// Refuses, naming the file, what is not an image of the game: a missing file,
// anything but a regular file (a folder, a pipe: never opened, so nothing
// blocks), a file too short to hold the identity value, or one whose identity
// value differs, as Load checks it.
Status checkImageFile(const std::filesystem::path& path);

// The whole file, after the same checks.
Result<Bytes> loadImageFile(const std::filesystem::path& path);

// The reason for refusing `bytes` read from `path`, when they are no image of the game.
Status checkImageBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
