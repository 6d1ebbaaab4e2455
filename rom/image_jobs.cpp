#include "rom/image_jobs.h"

#include "rom/patch_jobs.h"
#include "rom/platform/path_text.h"
#include "rom/rom_image.h"

namespace fs = std::filesystem;

Result<ImageFacts> readImageFacts(const fs::path& path)
{
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return Result<ImageFacts>::failure(bytes.error());
    return describeImage(*bytes);
}

Result<ChecksumFixed> fixChecksumFile(const fs::path& path)
{
    using R = Result<ChecksumFixed>;
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return R::failure(bytes.error());
    const ImageFacts facts = describeImage(*bytes);
    if (!facts.identityOk || !facts.header)
        return R::failure("cannot fix the checksum of " + pathToUtf8(path) + ": it is not a Veldra Saga ROM");
    ChecksumFixed fixed{facts.header->checksum, facts.computedChecksum, false};
    if (facts.checksumOk)
        return fixed;
    const auto fields = checksumFieldBytes(facts.computedChecksum);
    const auto position = std::uint32_t(facts.imageStart() + kComplementPosition);
    // the write checks the identity again in its own open, where it sits
    // without a copier header; a headered image was checked just above
    const RomImage image(path, facts.copierHeader ? IdentityCheck::Skipped : IdentityCheck::Required);
    if (Status written = image.write(position, fields); !written)
        return R::failure(written.error());
    fixed.written = true;
    return fixed;
}

Status stripHeaderFile(const fs::path& image, const fs::path& output, Existing existing)
{
    const auto bytes = readWholeFile(image);
    if (!bytes)
        return Status::failure(bytes.error());
    if (!hasCopierHeader(*bytes)) {
        if (isGameImage(*bytes))
            return Status::failure(pathToUtf8(image) + " has no copier header: there is nothing to strip");
        return Status::failure(pathToUtf8(image) + " is not a Veldra Saga ROM");
    }
    if (Status separate = requireSeparateOutput(output, {image}); !separate)
        return separate;
    const std::span<const std::uint8_t> rest = std::span(*bytes).subspan(kCopierHeaderSize);
    return writeNewFile(output, rest, existing);
}
