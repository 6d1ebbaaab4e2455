#include "rom/image_facts.h"

#include "rom/identity.h"
#include "rom/tables.h"

#include <bit>
#include <numeric>

namespace {

using Span = std::span<const std::uint8_t>;

std::uint64_t plainSum(Span bytes)
{
    return std::accumulate(bytes.begin(), bytes.end(), std::uint64_t(0));
}

// The sum of `bytes` spread over the next power of two: a block of 2^k bytes
// followed by a shorter rest counts the rest as often as it fits in 2^k.
std::uint64_t mirroredSum(Span bytes)
{
    if (bytes.empty())
        return 0;
    if (std::has_single_bit(bytes.size()))
        return plainSum(bytes);
    const std::size_t head = std::bit_floor(bytes.size());
    const Span rest = bytes.subspan(head);
    const std::size_t restSpan = std::bit_ceil(rest.size());
    return plainSum(bytes.first(head)) + mirroredSum(rest) * (head / restSpan);
}

std::uint16_t le16(Span bytes, std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8); }

bool identityAt(Span file, std::size_t position)
{
    return file.size() >= position + 4 && isGameIdentity(decodeIdentity(file.subspan(position).first<4>()));
}

// the header sits at the end of the first 64 KiB; a shorter file has none,
// and in a longer one the header's bytes are counted once by the checksum
bool holdsInternalHeader(Span image) { return image.size() >= 0x10000; }

}  // namespace

bool hasCopierHeader(Span file)
{
    return file.size() % 1024 == kCopierHeaderSize && identityAt(file, kIdentityPosition + kCopierHeaderSize);
}

bool isGameImage(Span file) { return identityAt(file, kIdentityPosition) && !hasCopierHeader(file); }

std::uint16_t computeChecksum(Span image)
{
    std::uint64_t sum = mirroredSum(image);
    if (holdsInternalHeader(image)) {
        // count the fields as the matching pair a fix writes; a matching pair
        // always adds 0xFF + 0xFF, whatever the checksum is
        const std::uint64_t stored = plainSum(image.subspan(kComplementPosition, 4));
        sum = sum - stored + 0x1FE;
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::array<std::uint8_t, 4> checksumFieldBytes(std::uint16_t checksum)
{
    const std::uint16_t complement = checksum ^ 0xFFFF;
    return {std::uint8_t(complement & 0xFF), std::uint8_t(complement >> 8), std::uint8_t(checksum & 0xFF),
            std::uint8_t(checksum >> 8)};
}

ImageFacts describeImage(Span file)
{
    ImageFacts facts;
    facts.fileSize = file.size();
    facts.copierHeader = hasCopierHeader(file);
    const Span image = file.subspan(facts.imageStart());
    facts.identityPosition = kIdentityPosition + std::uint32_t(facts.imageStart());
    if (image.size() >= kIdentityPosition + 4) {
        facts.identityValue = decodeIdentity(image.subspan(kIdentityPosition).first<4>());
        facts.identityOk = isGameIdentity(*facts.identityValue);
    }
    if (holdsInternalHeader(image)) {
        InternalHeader header;
        for (std::size_t k = 0; k < kTitleLength; ++k) {
            const std::uint8_t c = image[kInternalHeaderPosition + k];
            header.title += (c >= 0x20 && c < 0x7F) ? char(c) : '.';
        }
        header.mapMode = image[kMapModePosition];
        header.romSize = image[kRomSizePosition];
        header.complement = le16(image, kComplementPosition);
        header.checksum = le16(image, kChecksumPosition);
        facts.header = header;
    }
    facts.computedChecksum = computeChecksum(image);
    facts.checksumOk = facts.header && facts.header->checksum == facts.computedChecksum
                       && facts.header->complement == (facts.header->checksum ^ 0xFFFF);
    return facts;
}
