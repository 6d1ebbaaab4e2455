#include "cli/output_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string reason(int err) { return std::strerror(err); }

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

Status writeNewFile(const std::filesystem::path& target, std::string_view data, bool replace)
{
    const std::string name = target.string();
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(target, ec);
    if (std::filesystem::exists(status)) {
        if (std::filesystem::is_directory(std::filesystem::status(target, ec)))
            return Status::failure("cannot write " + name + ": it is a folder");
        if (!replace)
            return Status::failure(name + " already exists; give --force to replace it");
    }
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Status::failure("cannot write " + name + ": " + reason(errno));
    // mkstemp makes the file private: give it the mode a new file would have
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Status::failure("cannot write " + name + ": " + reason(err));
    }
    // link() never replaces: a file made at the target meanwhile stays
    const int placed = replace ? ::rename(temp.c_str(), name.c_str()) : ::link(temp.c_str(), name.c_str());
    err = errno;
    if (!replace || placed != 0)
        ::unlink(temp.c_str());
    if (placed != 0)
        return Status::failure(err == EEXIST ? name + " already exists; give --force to replace it"
                                             : "cannot write " + name + ": " + reason(err));
    return success();
}
