#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// What can be told about a file that may be an image of the game: copier
// header, identity value, internal header and checksum. Works on any bytes.
inline constexpr std::size_t kCopierHeaderSize = 512;
inline constexpr std::uint32_t kInternalHeaderPosition = 0xFFC0;
inline constexpr std::uint32_t kMapModePosition = 0xFFD5;
inline constexpr std::uint32_t kRomSizePosition = 0xFFD7;
inline constexpr std::uint32_t kComplementPosition = 0xFFDC;
inline constexpr std::uint32_t kChecksumPosition = 0xFFDE;
inline constexpr std::size_t kTitleLength = 21;

struct InternalHeader {
    std::string title;  // printable ASCII, other bytes as '.', trailing blanks kept
    std::uint8_t mapMode = 0;
    std::uint8_t romSize = 0;
    std::uint16_t complement = 0;
    std::uint16_t checksum = 0;
};

struct ImageFacts {
    std::uint64_t fileSize = 0;
    bool copierHeader = false;
    std::uint32_t identityPosition = 0;    // in the file, past the copier header where there is one
    std::optional<std::int32_t> identityValue;  // absent when the file is too short
    bool identityOk = false;
    std::optional<InternalHeader> header;  // absent when the image is too short to hold one
    std::uint16_t computedChecksum = 0;
    bool checksumOk = false;

    // where the image proper starts in the file
    std::size_t imageStart() const { return copierHeader ? kCopierHeaderSize : 0; }
};

ImageFacts describeImage(std::span<const std::uint8_t> file);

// A file that is the game with a 512-byte copier header in front.
bool hasCopierHeader(std::span<const std::uint8_t> file);
// A file that is the game as the editor takes it: identity value in place, no copier header.
bool isGameImage(std::span<const std::uint8_t> file);

// The 16-bit sum of the image's bytes; an image whose size is not a power of
// two counts its last part repeated up to the next power of two. The checksum
// and complement fields count as a matching pair (the value a fix writes).
std::uint16_t computeChecksum(std::span<const std::uint8_t> image);

// The 4 bytes of a matching complement and checksum, as stored at 0xFFDC.
std::array<std::uint8_t, 4> checksumFieldBytes(std::uint16_t checksum);
