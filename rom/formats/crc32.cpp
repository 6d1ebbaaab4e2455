#include "rom/formats/crc32.h"

#include <zlib.h>

#include <algorithm>

std::uint32_t crc32Of(std::span<const std::uint8_t> bytes)
{
    // zlib takes the length as a uInt: feed larger blocks in slices
    uLong crc = crc32(0L, Z_NULL, 0);
    const std::uint8_t* at = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const auto slice = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
        crc = crc32(crc, at, slice);
        at += slice;
        left -= slice;
    }
    return static_cast<std::uint32_t>(crc);
}
