#include "rom/formats/byte_stretches.h"

#include <algorithm>
#include <cstring>

namespace {

// Whole blocks are compared with memcmp first: images differ in few places,
// and skipping equal blocks keeps a 4 MiB comparison to a few milliseconds.
constexpr std::size_t kBlock = 4096;

std::size_t firstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t to)
{
    while (from < to) {
        const std::size_t block = std::min(kBlock, to - from);
        if (std::memcmp(a + from, b + from, block) != 0)
            break;
        from += block;
    }
    while (from < to && a[from] == b[from])
        ++from;
    return from;
}

std::size_t firstEqual(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t to)
{
    while (from < to && a[from] != b[from])
        ++from;
    return from;
}

}  // namespace

std::vector<ByteStretch> differingStretches(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    std::vector<ByteStretch> runs;
    const std::size_t common = std::min(source.size(), target.size());
    std::size_t at = 0;
    while (at < common) {
        const std::size_t start = firstDifference(source.data(), target.data(), at, common);
        if (start == common)
            break;
        at = firstEqual(source.data(), target.data(), start, common);
        runs.push_back({start, at - start});
    }
    if (target.size() > common) {
        if (!runs.empty() && runs.back().end() == common)
            runs.back().length = target.size() - runs.back().offset;
        else
            runs.push_back({common, target.size() - common});
    }
    return runs;
}

std::vector<ByteStretch> joinCloseStretches(const std::vector<ByteStretch>& runs, const std::function<bool(std::size_t)>& worthJoining)
{
    std::vector<ByteStretch> joined;
    for (const ByteStretch& run : runs) {
        if (!joined.empty() && worthJoining(run.offset - joined.back().end()))
            joined.back().length = run.end() - joined.back().offset;
        else
            joined.push_back(run);
    }
    return joined;
}

std::vector<ByteStretch> repeatedStretches(std::span<const std::uint8_t> bytes, std::size_t minimum)
{
    std::vector<ByteStretch> runs;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = at + 1;
        while (end < bytes.size() && bytes[end] == bytes[at])
            ++end;
        if (end - at >= minimum)
            runs.push_back({at, end - at});
        at = end;
    }
    return runs;
}
