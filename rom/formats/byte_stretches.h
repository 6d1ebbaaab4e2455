#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// A stretch of bytes of the modified image.
struct ByteStretch {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::size_t end() const { return offset + length; }
    bool operator==(const ByteStretch&) const = default;
};

// The stretches where the target differs from the source, in order. Bytes of
// the target past the end of the source all count as differing.
std::vector<ByteStretch> differingStretches(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// Joins neighbouring runs wherever `worthJoining(gap)` says that carrying the
// unchanged bytes between them costs less than starting a new record.
std::vector<ByteStretch> joinCloseStretches(const std::vector<ByteStretch>& runs, const std::function<bool(std::size_t)>& worthJoining);

// Stretches of one repeated byte inside `bytes`, at least `minimum` long.
std::vector<ByteStretch> repeatedStretches(std::span<const std::uint8_t> bytes, std::size_t minimum);
