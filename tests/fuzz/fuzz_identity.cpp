// Fuzz target: the identity check of a file chosen in File > Load, and record
// reads of an image that may be short or odd. The input becomes the tail of a
// file that reaches up to (and perhaps past) the identity position.
#include "tests/fuzz/fuzz_check.h"

#include "rom/identity.h"
#include "rom/rom_image.h"
#include "rom/tables.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path scratchFile()
{
    static const std::filesystem::path path = [] {
        std::filesystem::path folder = std::filesystem::temp_directory_path();
        if (std::filesystem::is_directory("/dev/shm"))
            folder = "/dev/shm";
        return folder / ("veldra-fuzz-identity-" + std::to_string(::getpid()) + ".sfc");
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // the first byte says how far before the identity position the input starts
    const std::size_t lead = size > 0 ? data[0] % 8 : 0;
    std::vector<std::uint8_t> file(kIdentityPosition - lead, 0);
    if (size > 1)
        file.insert(file.end(), data + 1, data + size);
    const auto path = scratchFile();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    } else {
        return 0;
    }

    const auto value = readIdentityValue(path);
    const bool whole = file.size() >= kIdentityPosition + 4;
    FUZZ_CHECK(value.ok() == whole);
    if (whole) {
        const std::uint32_t expected = std::uint32_t(file[kIdentityPosition]) | std::uint32_t(file[kIdentityPosition + 1]) << 8
                                       | std::uint32_t(file[kIdentityPosition + 2]) << 16
                                       | std::uint32_t(file[kIdentityPosition + 3]) << 24;
        FUZZ_CHECK(*value == static_cast<std::int32_t>(expected));
    } else {
        FUZZ_CHECK(!value.error().empty());
    }

    // a read of an image is refused unless the identity matches; without the
    // check, a read past the end is refused, never short, and a read inside gives the bytes
    const bool identified = whole && *value == kIdentityValue;
    FUZZ_CHECK(RomImage(path).read(0, 1).ok() == identified);
    const RomImage image(path, IdentityCheck::Skipped);
    const std::uint32_t at = static_cast<std::uint32_t>(file.size() > 16 ? file.size() - 16 : 0);
    for (std::size_t count : {std::size_t(1), std::size_t(16), std::size_t(17)}) {
        const auto read = image.read(at, count);
        FUZZ_CHECK(read.ok() == (at + count <= file.size()));
        if (read)
            FUZZ_CHECK(std::equal(read->begin(), read->end(), file.begin() + at));
    }
    std::remove(path.c_str());
    return 0;
}
