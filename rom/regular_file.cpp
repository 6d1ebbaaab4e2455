#include "rom/regular_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <system_error>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr const char* kFolder = "it is a folder, not a file";
constexpr const char* kNotRegular = "it is not a regular file (a pipe, a device or the like)";

}  // namespace

std::string fileErrorReason(int err)
{
    if (err == ENOENT)
        return "no such file";
    if (err == EACCES || err == EPERM || err == EROFS)
        return "permission denied (is the file read-only?)";
    if (err == EISDIR)
        return kFolder;
    return std::strerror(err);
}

#ifdef _WIN32

// Named pipes do not live among the files here; a check before the open serves.
Result<FileHandle> openRegularFile(const std::filesystem::path& path, bool forWriting)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return Result<FileHandle>::failure("no such file");
    if (std::filesystem::is_directory(status))
        return Result<FileHandle>::failure(kFolder);
    if (!std::filesystem::is_regular_file(status))
        return Result<FileHandle>::failure(kNotRegular);
    errno = 0;
    std::FILE* f = _wfopen(path.c_str(), forWriting ? L"r+b" : L"rb");
    if (!f)
        return Result<FileHandle>::failure(fileErrorReason(errno));
    return FileHandle(f);
}

std::optional<std::uint64_t> openFileSize(std::FILE* f)
{
    if (std::fseek(f, 0, SEEK_END) != 0)
        return std::nullopt;
    const long size = std::ftell(f);
    if (size < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

bool readFileAt(std::FILE* f, std::uint64_t position, std::uint8_t* out, std::size_t count)
{
    if (std::fseek(f, static_cast<long>(position), SEEK_SET) != 0)
        return false;
    if (std::fread(out, 1, count, f) == count)
        return true;
    if (!std::ferror(f))
        errno = EIO;
    return false;
}

#else

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

#endif
