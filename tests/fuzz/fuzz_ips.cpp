// Fuzz target: the IPS reader, over any patch a user may apply, and the IPS
// writer, whose patches must apply back to their target.
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/patch_input.h"

#include "rom/formats/ips_patch.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const PatchInput input = splitPatchInput(data, size);

    // as given: a malformed patch gives no bytes; a result ends where a record may reach (16 MiB and one record)
    if (const auto applied = applyIps(input.source, input.rest))
        FUZZ_CHECK(applied->size() <= std::max(input.source.size(), kIpsMaxImageSize + 0x10000));

    // what the writer makes applies back to its target
    const std::vector<std::uint8_t> target(input.rest.begin(), input.rest.end());
    const auto made = createIps(input.source, target);
    FUZZ_CHECK(made.ok());
    const auto back = applyIps(input.source, *made);
    FUZZ_CHECK(back && *back == target);
    return 0;
}
