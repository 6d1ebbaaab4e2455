#pragma once

#include "rom/files.h"
#include "rom/formats/patch_format.h"

#include <filesystem>

// Making and applying patch files: the one road both the window and the
// command line take, with every check on the way.

struct PatchMade {
    std::uint64_t size = 0;       // bytes of the patch file
    std::size_t changedRuns = 0;  // stretches of changed bytes it carries
};

// A patch from the original image to the modified one; both must be images of
// the game without copier header.
Result<PatchMade> createPatchFile(const std::filesystem::path& original, const std::filesystem::path& modified,
                                  const std::filesystem::path& output, PatchFormat format,
                                  Existing existing = Existing::Refuse);

struct PatchApplied {
    std::uint64_t size = 0;  // bytes of the patched image
};

// Applies the patch to a copy of the image; the result, not the input, must be
// an image of the game (a BPS checks its input itself, by CRC32).
Result<PatchApplied> applyPatchFile(const std::filesystem::path& image, const std::filesystem::path& patch,
                                    const std::filesystem::path& output, Existing existing = Existing::Refuse);

// Refuses an output that names one of the inputs: inputs are only read.
Status requireSeparateOutput(const std::filesystem::path& output,
                             std::initializer_list<std::filesystem::path> inputs);

// Refuses bytes that are not the game's image as the editor takes it, saying
// why (a copier header, or no identity value).
Status requireGameImage(std::span<const std::uint8_t> bytes, const std::filesystem::path& path);
