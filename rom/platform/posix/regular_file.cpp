#include "rom/regular_file.h"

#include <cerrno>
#include <cstring>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kFolder = "it is a folder, not a file";
constexpr const char* kNotRegular = "it is not a regular file (a pipe, a device or the like)";

}  // namespace

std::string fileErrorReason(int err)
{
    switch (err) {
    case ENOENT: return "no such file or folder";
    case EACCES:
    case EPERM: return "permission denied (is the file read-only?)";
    case EROFS: return "the file system is read-only";
    case ENOSPC: return "the disk is full";
#ifdef EDQUOT
    case EDQUOT: return "the disk quota is used up";
#endif
    case EFBIG: return "the file would pass the size limit for files (ulimit -f)";
    case EISDIR: return kFolder;
    default: return std::strerror(err);
    }
}


Result<FileHandle> openRegularFile(const std::filesystem::path& path, bool forWriting)
{
    // O_NONBLOCK: opening a named pipe for reading would otherwise wait for a writer
    const int fd = ::open(path.c_str(), (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Result<FileHandle>::failure(fileErrorReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return Result<FileHandle>::failure(fileErrorReason(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return Result<FileHandle>::failure(S_ISDIR(st.st_mode) ? kFolder : kNotRegular);
    }
    // a regular file never blocks, so O_NONBLOCK may stay: it changes nothing for one
    std::FILE* f = ::fdopen(fd, forWriting ? "r+b" : "rb");
    if (!f) {
        const int err = errno;
        ::close(fd);
        return Result<FileHandle>::failure(fileErrorReason(err));
    }
    return FileHandle(f);
}

std::optional<std::uint64_t> openFileSize(std::FILE* f)
{
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool readFileAt(std::FILE* f, std::uint64_t position, std::uint8_t* out, std::size_t count)
{
    const int fd = ::fileno(f);
    while (count > 0) {
        const ssize_t n = ::pread(fd, out, count, static_cast<off_t>(position));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;  // the file ended before the bytes asked for
            return false;
        }
        out += n;
        position += static_cast<std::uint64_t>(n);
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

// A file size limit (ulimit -f) raises SIGXFSZ at a write that passes it,
// and that signal ends the program on the spot, half a record written. With
// the signal ignored the write stops short and says EFBIG instead, which the
// writer reports and mends like any other failed write. Nothing in this
// program wants the signal, so it stays ignored once the first write is made.
void ignoreFileSizeSignal()
{
    static const bool ignored = [] {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        return ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }();
    (void)ignored;
}

}  // namespace

bool writeFileAt(std::FILE* f, std::uint64_t position, const std::uint8_t* bytes, std::size_t count)
{
    ignoreFileSizeSignal();
    const int fd = ::fileno(f);
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, bytes, count, static_cast<off_t>(position));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        bytes += n;
        position += static_cast<std::uint64_t>(n);
        count -= static_cast<std::size_t>(n);
    }
    return true;
}
