#include "rom/image_jobs.h"

#include "rom/files.h"
#include "rom/history/image_history.h"
#include "rom/history/image_state.h"
#include "rom/history/restore_points.h"
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

Result<ChecksumFixed> fixChecksumFile(const fs::path& path, const ChecksumWrite& through)
{
    using R = Result<ChecksumFixed>;
    // the whole image is read, judged and written in one open under the
    // writers' lock; its identity is judged by the facts, with or without a
    // copier header
    const RomImage image(path, IdentityCheck::Skipped);
    const auto file = image.openForWriting();
    if (!file)
        return R::failure(file.error());
    if (file->size() > kMaxInputSize)
        return R::failure("cannot fix the checksum of " + path.string() + ": it is larger than "
                          + std::to_string(kMaxInputSize >> 20) + " MiB, far larger than the game's image");
    const auto bytes = file->read(0, static_cast<std::size_t>(file->size()));
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
    if (const Status kept = keepRestorePointBeforeFirstWrite(*file); !kept)
        return R::failure(kept.error());
    const auto writeFields = [&]() -> Status {
        const Status written = file->write(position, fields);
        if (written)
            return success();
        // the four bytes may have gone in part-way: put back what was there
        const Bytes before(bytes->begin() + position, bytes->begin() + position + fields.size());
        const bool back = file->write(position, before) && file->read(position, before.size()).ok()
                          && *file->read(position, before.size()) == before;
        return Status::failure(written.error() + (back ? "; the checksum was left as it was"
                                                       : "; the checksum bytes may be half written: run the fix again"));
    };
    const Status done = through ? through(facts.copierHeader, Bytes(bytes->begin() + position, bytes->begin() + position + 4),
                                          Bytes(fields.begin(), fields.end()), writeFields)
                                : writeFields();
    if (!done)
        return R::failure(done.error());
    recordImageWritten(*file);
    fixed.written = true;
    return fixed;
}

Result<ChecksumFixed> fixChecksumInHistory(const fs::path& path, ImageHistory& history, const std::string& source)
{
    const RomImage image(path);
    return fixChecksumFile(path, [&](bool headered, const Bytes& before, const Bytes& after,
                                     const std::function<Status()>& write) {
        if (headered)
            return write();
        SaveEntry entry{{{&checksumRecord(), 0, before, after}}, "checksum", source, std::chrono::system_clock::now()};
        return history.step(image, std::move(entry), write);
    });
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
