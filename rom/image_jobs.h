#pragma once

#include "rom/files.h"
#include "rom/image_facts.h"

#include <filesystem>
#include <functional>
#include <vector>

// The image facts of a file on disk, and the two commands that act on them.

// Reads any file and tells what it is; fails only when it cannot be read.
Result<ImageFacts> readImageFacts(const std::filesystem::path& path);

struct ChecksumFixed {
    std::uint16_t before = 0;  // the checksum stored before
    std::uint16_t after = 0;   // the checksum stored now
    bool written = false;      // false when it matched already
};

// Writes the computed checksum and its complement (4 bytes, in place) into an
// image of the game, with or without copier header. Nothing else changes.
// `beforeWrite`, when given, is told the four bytes before and after once the
// fix is known and before they are written, with the writers' lock held (the
// journal entry goes in there); its failure refuses the fix, and `write`
// reports to it no further. `headered` tells whether the image has a copier
// header (its bytes then lie 512 further on).
using ChecksumWrite = std::function<Status(bool headered, const std::vector<std::uint8_t>& before,
                                           const std::vector<std::uint8_t>& after, const std::function<Status()>& write)>;
Result<ChecksumFixed> fixChecksumFile(const std::filesystem::path& path, const ChecksumWrite& through = {});

class ImageHistory;
// fixChecksumFile as a step of the image's history, kept under `source`: its
// journal entry goes in before the four bytes, so that the fix can be undone
// like a save. An image with a copier header keeps no step (its bytes lie
// 512 further on than in the images the editors open).
Result<ChecksumFixed> fixChecksumInHistory(const std::filesystem::path& path, ImageHistory& history,
                                           const std::string& source);

// A copy of a headered image without its 512-byte copier header; the original
// stays as it is.
Status stripHeaderFile(const std::filesystem::path& image, const std::filesystem::path& output,
                       Existing existing = Existing::Refuse);
