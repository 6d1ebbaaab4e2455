#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

// Splits a fuzz input into a source image and the rest: the first byte says
// how long the source is (0..255 bytes), the bytes after it are the source,
// what follows is the patch (or a target). Short inputs give what they have.
struct PatchInput {
    std::vector<std::uint8_t> source;
    std::span<const std::uint8_t> rest;
};

inline PatchInput splitPatchInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    const std::size_t length = std::min<std::size_t>(data[0], size - 1);
    return {std::vector<std::uint8_t>(data + 1, data + 1 + length), std::span(data + 1 + length, size - 1 - length)};
}
