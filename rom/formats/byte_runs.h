#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// A stretch of bytes of the modified image.
struct ByteRun {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::size_t end() const { return offset + length; }
    bool operator==(const ByteRun&) const = default;
};

// The stretches where the target differs from the source, in order. Bytes of
// the target past the end of the source all count as differing.
std::vector<ByteRun> differingRuns(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// Joins neighbouring runs wherever `worthJoining(gap)` says that carrying the
// unchanged bytes between them costs less than starting a new record.
std::vector<ByteRun> joinCloseRuns(const std::vector<ByteRun>& runs, const std::function<bool(std::size_t)>& worthJoining);

// Stretches of one repeated byte inside `bytes`, at least `minimum` long.
std::vector<ByteRun> repeatedRuns(std::span<const std::uint8_t> bytes, std::size_t minimum);
