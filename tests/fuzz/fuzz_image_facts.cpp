// Fuzz target: the facts told about a chosen file (copier header, identity,
// internal header, checksum). The first byte says where the input lands: at
// the internal header, at the identity value, or either behind a copier
// header; the file is filled with zeros up to there and ends with the input.
#include "tests/fuzz/fuzz_check.h"

#include "rom/image_facts.h"
#include "rom/tables.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool headered = data[0] & 1;
    const bool atIdentity = data[0] & 2;
    const std::size_t lead = data[0] >> 2;  // how far before the place the input starts
    const std::size_t place = (atIdentity ? kIdentityPosition : kInternalHeaderPosition) + (headered ? kCopierHeaderSize : 0);
    std::vector<std::uint8_t> file(place - std::min(place, lead), 0);
    file.insert(file.end(), data + 1, data + size);

    const ImageFacts facts = describeImage(file);
    FUZZ_CHECK(facts.fileSize == file.size());
    FUZZ_CHECK(facts.copierHeader == hasCopierHeader(file));
    FUZZ_CHECK(isGameImage(file) == (facts.identityOk && !facts.copierHeader));
    FUZZ_CHECK(!facts.identityOk || (facts.identityValue && *facts.identityValue == kIdentityValue));
    if (facts.header) {
        FUZZ_CHECK(facts.header->title.size() == kTitleLength);
        FUZZ_CHECK(facts.checksumOk
                   == (facts.header->checksum == facts.computedChecksum && facts.header->complement == (facts.header->checksum ^ 0xFFFF)));
        // writing the checksum a fix writes makes it right, whatever the rest holds
        std::vector<std::uint8_t> fixed = file;
        const auto field = checksumFieldBytes(facts.computedChecksum);
        std::copy(field.begin(), field.end(), fixed.begin() + facts.imageStart() + kComplementPosition);
        const ImageFacts after = describeImage(fixed);
        FUZZ_CHECK(after.checksumOk);
        FUZZ_CHECK(after.computedChecksum == facts.computedChecksum);
    } else {
        FUZZ_CHECK(!facts.checksumOk);
    }
    return 0;
}
