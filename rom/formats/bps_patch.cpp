#include "rom/formats/bps_patch.h"

#include "rom/formats/byte_stretches.h"
#include "rom/formats/crc32.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Span = std::span<const std::uint8_t>;

enum Action : std::uint64_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

constexpr std::size_t kFooterSize = 12;
// a stretch of one byte this long is cheaper as one byte plus a target copy
constexpr std::size_t kMinRepeat = 8;

std::string hex8(std::uint32_t value)
{
    char buf[12];
    std::snprintf(buf, sizeof buf, "%08X", value);
    return buf;
}

std::uint32_t le32(Span bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16
           | std::uint32_t(bytes[at + 3]) << 24;
}

void appendLe32(Bytes& out, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

std::size_t numberSize(std::uint64_t value)
{
    Bytes scratch;
    appendBpsNumber(scratch, value);
    return scratch.size();
}

void appendAction(Bytes& out, Action action, std::size_t length)
{
    appendBpsNumber(out, (std::uint64_t(length - 1) << 2) | action);
}

void appendRelative(Bytes& out, std::int64_t delta)
{
    const std::uint64_t magnitude = delta < 0 ? std::uint64_t(-delta) : std::uint64_t(delta);
    appendBpsNumber(out, magnitude << 1 | (delta < 0 ? 1 : 0));
}

// Reads the patch's numbers and bytes between `at` and the footer.
class PatchReader {
public:
    PatchReader(Span patch, std::size_t at, std::size_t end) : m_patch(patch), m_at(at), m_end(end) {}

    bool atEnd() const { return m_at >= m_end; }
    std::size_t left() const { return m_end - m_at; }
    std::size_t position() const { return m_at; }
    void skip(std::size_t count) { m_at += count; }

    std::optional<std::uint64_t> number()
    {
        std::uint64_t data = 0;
        std::uint64_t shift = 1;
        while (true) {
            if (m_at >= m_end)
                return std::nullopt;
            const std::uint8_t x = m_patch[m_at++];
            data += (x & 0x7F) * shift;
            if (x & 0x80)
                return data;
            // no honest patch needs a number beyond 2^48: stop before overflow
            if (shift >= (std::uint64_t(1) << 42))
                return std::nullopt;
            shift <<= 7;
            data += shift;
        }
    }

private:
    Span m_patch;
    std::size_t m_at;
    std::size_t m_end;
};

// Writes one stretch of differing bytes: literal bytes as target reads, long
// repeats of one byte as that byte plus a target copy of it.
void appendChangedBytes(Bytes& out, Span target, ByteStretch run, std::int64_t& targetRelative)
{
    const Span bytes = target.subspan(run.offset, run.length);
    std::size_t at = 0;
    auto literal = [&](std::size_t end) {
        if (end <= at)
            return;
        appendAction(out, TargetRead, end - at);
        out.insert(out.end(), bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(end));
        at = end;
    };
    for (const ByteStretch& repeat : repeatedStretches(bytes, kMinRepeat)) {
        literal(repeat.offset + 1);  // the repeated byte itself is read once
        const auto from = std::int64_t(run.offset + repeat.offset);
        appendAction(out, TargetCopy, repeat.length - 1);
        appendRelative(out, from - targetRelative);
        targetRelative = from + std::int64_t(repeat.length - 1);
        at = repeat.end();
    }
    literal(bytes.size());
}

}  // namespace

void appendBpsNumber(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    while (true) {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --value;
    }
}

std::vector<std::uint8_t> createBps(Span source, Span target, std::string_view metadata)
{
    Bytes out{'B', 'P', 'S', '1'};
    appendBpsNumber(out, source.size());
    appendBpsNumber(out, target.size());
    appendBpsNumber(out, metadata.size());
    out.insert(out.end(), metadata.begin(), metadata.end());

    // unchanged bytes between two changes go in as literals when that is
    // shorter than a source read and a second target read
    const auto runs = joinCloseStretches(differingStretches(source, target), [](std::size_t gap) {
        return gap < numberSize(std::uint64_t(gap - 1) << 2) + 1;
    });
    std::size_t output = 0;
    std::int64_t targetRelative = 0;
    for (const ByteStretch& run : runs) {
        if (run.offset > output)
            appendAction(out, SourceRead, run.offset - output);
        appendChangedBytes(out, target, run, targetRelative);
        output = run.end();
    }
    if (output < target.size())
        appendAction(out, SourceRead, target.size() - output);

    appendLe32(out, crc32Of(source));
    appendLe32(out, crc32Of(target));
    appendLe32(out, crc32Of(out));
    return out;
}

Result<std::vector<std::uint8_t>> applyBps(Span source, Span patch, std::string* metadata)
{
    using R = Result<Bytes>;
    if (patch.size() < 4 || std::memcmp(patch.data(), "BPS1", 4) != 0)
        return R::failure("not a BPS patch: it does not start with \"BPS1\"");
    if (patch.size() < 4 + 3 + kFooterSize)
        return R::failure("the patch is truncated: " + std::to_string(patch.size()) + " bytes cannot hold a BPS patch");
    const std::size_t footer = patch.size() - kFooterSize;
    const std::uint32_t patchCrc = crc32Of(patch.first(patch.size() - 4));
    if (patchCrc != le32(patch, patch.size() - 4))
        return R::failure("the patch is damaged or truncated: its CRC32 is " + hex8(patchCrc) + ", its last bytes record "
                          + hex8(le32(patch, patch.size() - 4)));

    PatchReader reader(patch, 4, footer);
    const auto sourceSize = reader.number();
    const auto targetSize = reader.number();
    const auto metadataSize = reader.number();
    if (!sourceSize || !targetSize || !metadataSize || *metadataSize > reader.left())
        return R::failure("the patch is malformed: its sizes and metadata run past its actions");
    if (metadata)
        metadata->assign(reinterpret_cast<const char*>(patch.data() + reader.position()), *metadataSize);
    reader.skip(*metadataSize);
    if (*targetSize > kMaxPatchedImageSize)
        return R::failure("the patch declares a result of " + std::to_string(*targetSize)
                          + " bytes, more than the 64 MiB allowed");
    const std::uint32_t sourceCrc = crc32Of(source);
    if (sourceCrc != le32(patch, footer))
        return R::failure("the patch was made for an image with CRC32 " + hex8(le32(patch, footer)) + "; this one has "
                          + hex8(sourceCrc));
    if (*sourceSize != source.size())
        return R::failure("the patch was made for an image of " + std::to_string(*sourceSize) + " bytes; this one has "
                          + std::to_string(source.size()));

    Bytes target(*targetSize);
    std::uint64_t output = 0;
    std::int64_t sourceRelative = 0;
    std::int64_t targetRelative = 0;
    auto relative = [&](std::int64_t& offset) {
        const auto delta = reader.number();
        if (!delta)
            return false;
        const std::int64_t magnitude = std::int64_t(*delta >> 1);
        offset += (*delta & 1) ? -magnitude : magnitude;
        return true;
    };
    std::size_t actionAt = 0;
    auto malformed = [&](const char* what) {
        return R::failure(std::string("the patch is malformed: ") + what + " (the action at patch offset "
                          + std::to_string(actionAt) + ")");
    };
    while (!reader.atEnd()) {
        actionAt = reader.position();
        const auto data = reader.number();
        if (!data)
            return malformed("an action runs into the CRC32s at its end");
        const std::uint64_t length = (*data >> 2) + 1;
        if (length > target.size() - output)
            return malformed("an action writes past the end of the result");
        switch (*data & 3) {
        case SourceRead:
            if (output + length > source.size())
                return malformed("a source read reads past the end of the image");
            std::memcpy(target.data() + output, source.data() + output, length);
            break;
        case TargetRead:
            if (length > reader.left())
                return malformed("a target read reads past the end of the patch");
            std::memcpy(target.data() + output, patch.data() + reader.position(), length);
            reader.skip(length);
            break;
        case SourceCopy:
            if (!relative(sourceRelative))
                return malformed("a source copy's offset runs into the CRC32s at its end");
            if (sourceRelative < 0 || std::uint64_t(sourceRelative) > source.size()
                || length > source.size() - std::uint64_t(sourceRelative))
                return malformed("a source copy reads outside the image");
            std::memcpy(target.data() + output, source.data() + sourceRelative, length);
            sourceRelative += std::int64_t(length);
            break;
        case TargetCopy:
            if (!relative(targetRelative))
                return malformed("a target copy's offset runs into the CRC32s at its end");
            // each byte copied must have been written already
            if (targetRelative < 0 || std::uint64_t(targetRelative) >= output)
                return malformed("a target copy reads outside the result written so far");
            if (std::uint64_t(targetRelative) + length <= output)
                std::memcpy(target.data() + output, target.data() + targetRelative, length);
            else  // overlapping on purpose: repeats what it has just written
                for (std::uint64_t k = 0; k < length; ++k)
                    target[output + k] = target[std::size_t(targetRelative) + k];
            targetRelative += std::int64_t(length);
            break;
        }
        output += length;
    }
    if (output != target.size())
        return R::failure("the patch is malformed: its actions make " + std::to_string(output) + " of the "
                          + std::to_string(target.size()) + " bytes it declares");
    const std::uint32_t targetCrc = crc32Of(target);
    if (targetCrc != le32(patch, footer + 4))
        return R::failure("the result has CRC32 " + hex8(targetCrc) + ", but the patch expects "
                          + hex8(le32(patch, footer + 4)));
    return target;
}
