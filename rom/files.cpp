#include "rom/files.h"

#include "rom/platform/path_text.h"
#include "rom/regular_file.h"

#include <cerrno>
#include <cstdio>

namespace fs = std::filesystem;

// The same on every system: the opening and the error words come from the
// system's side of regular_file.h.
Result<std::vector<std::uint8_t>> readWholeFile(const fs::path& path, std::uint64_t limit)
{
    using R = Result<std::vector<std::uint8_t>>;
    const std::string name = pathToUtf8(path);
    auto file = openRegularFile(path, false);
    if (!file)
        return R::failure("cannot read " + name + ": " + file.error());
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file->get())) > 0) {
        if (bytes.size() + n > limit)
            return R::failure("cannot read " + name + ": it is larger than " + std::to_string(limit >> 20)
                              + " MiB, the most this program reads of one file");
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    if (std::ferror(file->get()))
        return R::failure("cannot read " + name + ": " + fileErrorReason(errno));
    return bytes;
}
