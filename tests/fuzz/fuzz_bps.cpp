// Fuzz target: the BPS reader, over any patch a user may apply, and the BPS
// writer, whose patches must apply back to their target.
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/patch_input.h"

#include "rom/formats/bps_patch.h"
#include "rom/formats/crc32.h"

#include <cstdint>
#include <vector>

namespace {

void putCrc(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t crc)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(crc >> (8 * i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const PatchInput input = splitPatchInput(data, size);

    // as given: most inputs fail a check, and must give no bytes at all
    const auto applied = applyBps(input.source, input.rest);
    if (applied)
        FUZZ_CHECK(applied->size() <= kMaxPatchedImageSize);

    // with the source and patch CRCs made right, the actions are read through
    // (the target CRC can only be right by chance)
    if (input.rest.size() >= 16) {
        std::vector<std::uint8_t> patch(input.rest.begin(), input.rest.end());
        putCrc(patch, patch.size() - 12, crc32Of(input.source));
        putCrc(patch, patch.size() - 4, crc32Of(std::span(patch).first(patch.size() - 4)));
        std::string metadata;
        if (const auto target = applyBps(input.source, patch, &metadata))
            FUZZ_CHECK(target->size() <= kMaxPatchedImageSize);
    }

    // what the writer makes applies back to its target, and to nothing else's source
    const std::vector<std::uint8_t> target(input.rest.begin(), input.rest.end());
    const std::vector<std::uint8_t> made = createBps(input.source, target, "fuzz");
    std::string metadata;
    const auto back = applyBps(input.source, made, &metadata);
    FUZZ_CHECK(back && *back == target);
    FUZZ_CHECK(metadata == "fuzz");
    std::vector<std::uint8_t> other = input.source;
    other.push_back(0x5A);
    FUZZ_CHECK(!applyBps(other, made));
    return 0;
}
