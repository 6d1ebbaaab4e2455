#include "rom/files.h"

#include "rom/regular_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string reason(int err) { return err == ENOSPC ? "the disk is full" : err == EFBIG ? "the file is too large" : std::strerror(err); }

// The mode a newly created file gets from the process's umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

Result<std::vector<std::uint8_t>> readWholeFile(const fs::path& path, std::uint64_t limit)
{
    using R = Result<std::vector<std::uint8_t>>;
    // a regular file only, opened without blocking on a pipe put in its place
    auto file = openRegularFile(path, false);
    if (!file)
        return R::failure("cannot read " + path.string() + ": " + file.error());
    std::FILE* f = file->get();
    if (std::fseek(f, 0, SEEK_END) != 0)
        return R::failure("cannot read " + path.string() + ": " + fileErrorReason(errno));
    const long size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0)
        return R::failure("cannot read " + path.string() + ": " + fileErrorReason(errno));
    if (std::uint64_t(size) > limit)
        return R::failure("cannot read " + path.string() + ": it is larger than " + std::to_string(limit >> 20) + " MiB");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const bool whole = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fgetc(f) == EOF;
    if (!whole)
        return R::failure("cannot read " + path.string() + ": its size changed while it was read");
    return bytes;
}

Status writeNewFile(const fs::path& path, std::span<const std::uint8_t> bytes, Existing existing)
{
    const std::string name = path.string();
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (fs::exists(status)) {
        if (existing == Existing::Refuse)
            return Status::failure("cannot write " + name + ": the file already exists");
        if (fs::is_directory(fs::status(path, ec)))
            return Status::failure("cannot write " + name + ": it is a folder");
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Status::failure("cannot write " + name + ": cannot create a file in " + folder.string() + ": "
                               + std::strerror(errno));
    // mkstemp makes the file private; give it the mode any new file would get
    ::fchmod(fd, newFileMode());
    const bool complete = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !complete) {
        const int err = complete ? errno : writeError;
        ::unlink(temp.c_str());
        return Status::failure("cannot write " + name + ": " + reason(err) + "; nothing was written");
    }
    // link() refuses an existing name where rename() would replace it, so a
    // file made meanwhile at the output's name is never overwritten by surprise
    bool placed = false;
    if (existing == Existing::Replace) {
        placed = ::rename(temp.c_str(), name.c_str()) == 0;
    } else {
        placed = ::link(temp.c_str(), name.c_str()) == 0;
        // a file system without hard links: check, then rename
        if (!placed && (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) && !fs::exists(fs::symlink_status(path, ec)))
            placed = ::rename(temp.c_str(), name.c_str()) == 0;
    }
    const int placeError = errno;
    std::error_code ignored;
    if (fs::exists(fs::symlink_status(temp, ignored)))
        ::unlink(temp.c_str());
    if (!placed)
        return Status::failure("cannot write " + name + ": " + (placeError == EEXIST ? std::string("the file already exists")
                                                                                     : reason(placeError)));
    return success();
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}
