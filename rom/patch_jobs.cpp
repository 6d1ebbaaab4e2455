#include "rom/patch_jobs.h"

#include "rom/formats/byte_stretches.h"
#include "rom/image_facts.h"
#include "rom/platform/path_text.h"

#include <cstdio>

namespace fs = std::filesystem;

Status requireSeparateOutput(const fs::path& output, std::initializer_list<fs::path> inputs)
{
    for (const fs::path& input : inputs)
        if (sameFile(output, input))
            return Status::failure("cannot write " + pathToUtf8(output) + ": it is the input " + pathToUtf8(input)
                                   + ", which is only read; choose another output");
    return success();
}

Status requireGameImage(std::span<const std::uint8_t> bytes, const fs::path& path)
{
    if (hasCopierHeader(bytes))
        return Status::failure(pathToUtf8(path)
                               + " carries a 512-byte copier header: write a copy without it (strip-header) first");
    if (!isGameImage(bytes))
        return Status::failure(pathToUtf8(path) + " is not a Veldra Saga ROM");
    return success();
}

Result<PatchMade> createPatchFile(const fs::path& original, const fs::path& modified, const fs::path& output,
                                  PatchFormat format, Existing existing)
{
    using R = Result<PatchMade>;
    const auto source = readWholeFile(original);
    if (!source)
        return R::failure(source.error());
    const auto target = readWholeFile(modified);
    if (!target)
        return R::failure(target.error());
    for (const auto& [bytes, path] : {std::pair{&*source, &original}, std::pair{&*target, &modified}})
        if (Status game = requireGameImage(*bytes, *path); !game)
            return R::failure(game.error());
    if (Status separate = requireSeparateOutput(output, {original, modified}); !separate)
        return R::failure(separate.error());
    const auto patch = createPatch(format, *source, *target);
    if (!patch)
        return R::failure("cannot make the patch: " + patch.error());
    if (Status written = writeNewFile(output, *patch, existing); !written)
        return R::failure(written.error());
    return PatchMade{patch->size(), differingStretches(*source, *target).size()};
}

Result<PatchApplied> applyPatchFile(const fs::path& image, const fs::path& patch, const fs::path& output,
                                    Existing existing)
{
    using R = Result<PatchApplied>;
    const auto source = readWholeFile(image);
    if (!source)
        return R::failure(source.error());
    const auto patchBytes = readWholeFile(patch);
    if (!patchBytes)
        return R::failure(patchBytes.error());
    if (Status separate = requireSeparateOutput(output, {image, patch}); !separate)
        return R::failure(separate.error());
    const auto result = applyPatch(*source, *patchBytes);
    if (!result)
        return R::failure("cannot apply " + pathToUtf8(patch) + ": " + result.error());
    if (!isGameImage(*result))
        return R::failure("cannot apply " + pathToUtf8(patch) + ": the result is not a Veldra Saga ROM (a patch for "
                          + "another game or for an image with a copier header?)");
    if (Status written = writeNewFile(output, *result, existing); !written)
        return R::failure(written.error());
    return PatchApplied{result->size()};
}
