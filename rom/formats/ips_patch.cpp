#include "rom/formats/ips_patch.h"

#include "rom/formats/byte_stretches.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Span = std::span<const std::uint8_t>;

constexpr std::size_t kMaxRecord = 0xFFFF;
constexpr std::size_t kHeaderCost = 5;  // 3-byte offset, 2-byte length
// A run-length record costs 8 bytes; at a record's start it pays off from 9
// repeated bytes, inside a literal (which then needs a second header) from 14.
constexpr std::size_t kRepeatAtStart = 9;
constexpr std::size_t kRepeatInside = 14;

void appendBig(Bytes& out, std::uint32_t value, int bytes)
{
    for (int k = bytes - 1; k >= 0; --k)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

std::uint32_t big(Span bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int k = 0; k < count; ++k)
        value = value << 8 | bytes[at + std::size_t(k)];
    return value;
}

std::size_t repeatLength(Span bytes, std::size_t at, std::size_t end)
{
    std::size_t n = 1;
    while (at + n < end && n < kMaxRecord && bytes[at + n] == bytes[at])
        ++n;
    return n;
}

// One changed stretch as records, none of which starts at the "EOF" offset.
void appendRecords(Bytes& out, Span target, ByteStretch run)
{
    std::size_t at = run.offset == kIpsEofOffset ? run.offset - 1 : run.offset;
    const std::size_t end = run.end();
    while (at < end) {
        std::size_t repeat = repeatLength(target, at, end);
        if (repeat >= kRepeatAtStart) {
            if (at + repeat < end && at + repeat == kIpsEofOffset)
                --repeat;
            appendBig(out, std::uint32_t(at), 3);
            appendBig(out, 0, 2);
            appendBig(out, std::uint32_t(repeat), 2);
            out.push_back(target[at]);
            at += repeat;
            continue;
        }
        std::size_t stop = at + 1;
        while (stop < end && stop - at < kMaxRecord) {
            const std::size_t ahead = repeatLength(target, stop, end);
            const bool worthRle = ahead >= kRepeatInside || (stop + ahead == end && ahead >= kRepeatAtStart);
            if (worthRle && stop != kIpsEofOffset)
                break;
            ++stop;
        }
        if (stop < end && stop == kIpsEofOffset)
            stop += (stop - at < kMaxRecord) ? 1 : -1;
        appendBig(out, std::uint32_t(at), 3);
        appendBig(out, std::uint32_t(stop - at), 2);
        out.insert(out.end(), target.begin() + std::ptrdiff_t(at), target.begin() + std::ptrdiff_t(stop));
        at = stop;
    }
}

}  // namespace

Result<std::vector<std::uint8_t>> createIps(Span source, Span target)
{
    const std::size_t larger = std::max(source.size(), target.size());
    if (larger > kIpsMaxImageSize)
        return Result<Bytes>::failure("an IPS patch reaches only the first 16 MiB, and this image has "
                                      + std::to_string(larger) + " bytes: make a BPS patch instead");
    Bytes out{'P', 'A', 'T', 'C', 'H'};
    const auto runs = joinCloseStretches(differingStretches(source, target), [](std::size_t gap) { return gap < kHeaderCost; });
    for (const ByteStretch& run : runs)
        appendRecords(out, target, run);
    out.insert(out.end(), {'E', 'O', 'F'});
    if (target.size() < source.size())
        appendBig(out, std::uint32_t(target.size()), 3);
    return out;
}

Result<std::vector<std::uint8_t>> applyIps(Span source, Span patch)
{
    using R = Result<Bytes>;
    if (patch.size() < 5 || std::memcmp(patch.data(), "PATCH", 5) != 0)
        return R::failure("not an IPS patch: it does not start with \"PATCH\"");
    Bytes target(source.begin(), source.end());
    std::size_t at = 5;
    auto truncated = [&](const char* what) {
        return R::failure(std::string("the patch is truncated: ") + what + " (at patch offset " + std::to_string(at)
                          + ")");
    };
    while (true) {
        if (patch.size() - at < 3)
            return truncated("it ends without \"EOF\"");
        if (std::memcmp(patch.data() + at, "EOF", 3) == 0)
            break;
        if (patch.size() - at < 5)
            return truncated("a record's header is cut off");
        const std::size_t offset = big(patch, at, 3);
        std::size_t length = big(patch, at + 3, 2);
        if (length == 0) {
            if (patch.size() - at < 8)
                return truncated("a run-length record is cut off");
            length = big(patch, at + 5, 2);
            if (length == 0)
                return R::failure("the patch is malformed: a run-length record of no bytes (at patch offset "
                                  + std::to_string(at) + ")");
            if (target.size() < offset + length)
                target.resize(offset + length);
            std::fill_n(target.begin() + std::ptrdiff_t(offset), length, patch[at + 7]);
            at += 8;
            continue;
        }
        if (patch.size() - at - 5 < length)
            return truncated("a record's bytes run past the end of the patch");
        if (target.size() < offset + length)
            target.resize(offset + length);
        std::memcpy(target.data() + offset, patch.data() + at + 5, length);
        at += 5 + length;
    }
    at += 3;
    const std::size_t trailing = patch.size() - at;
    if (trailing == 3) {
        const std::size_t cut = big(patch, at, 3);
        if (cut > target.size())
            return R::failure("the patch is malformed: it cuts the result to " + std::to_string(cut)
                              + " bytes, but the result has only " + std::to_string(target.size()));
        target.resize(cut);
    } else if (trailing != 0) {
        return R::failure("the patch is malformed: " + std::to_string(trailing) + " bytes follow \"EOF\"");
    }
    return target;
}
