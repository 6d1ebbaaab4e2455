#include "rom/regular_file.h"

#include <cerrno>
#include <cstring>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kNotRegular = "it is not a regular file (a pipe, a device or the like)";

}  // namespace


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
        return Result<FileHandle>::failure(S_ISDIR(st.st_mode) ? kFolderReason : kNotRegular);
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

namespace {

// Repeats `step(done, position)` until `count` bytes have moved: a step moves
// what it can of the rest and returns how much, 0 where the file ends (or
// takes no more), or -1 with errno set; a signal's interruption is retried.
template <typename Step>
bool moveAll(std::size_t count, std::uint64_t position, Step step)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = step(done, static_cast<off_t>(position + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool readFileAt(std::FILE* f, std::uint64_t position, std::uint8_t* out, std::size_t count)
{
    const int fd = ::fileno(f);
    return moveAll(count, position, [&](std::size_t done, off_t at) { return ::pread(fd, out + done, count - done, at); });
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
    return moveAll(count, position,
                   [&](std::size_t done, off_t at) { return ::pwrite(fd, bytes + done, count - done, at); });
}
