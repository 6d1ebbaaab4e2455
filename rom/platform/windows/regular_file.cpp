#include "rom/regular_file.h"

#include "rom/platform/windows/win_text.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kFolder = "it is a folder, not a file";
constexpr const char* kNotRegular = "it is not a regular file (a device, a pipe or the like)";
constexpr const char* kReadOnly = "the file is read-only (its read-only attribute is set)";

HANDLE handleOf(std::FILE* f) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))); }

// Why an open failed: a folder is named as one (opening it fails with "access
// denied"), and so is a read-only file that was to be written.
std::string openFailure(const std::filesystem::path& path, DWORD error, bool forWriting)
{
    if (error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return kFolder;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) && forWriting)
            return kReadOnly;
    }
    return fileErrorText(error);
}

}  // namespace

std::string fileErrorReason(int err)
{
    switch (err) {
    case ENOENT: return "no such file or folder";
    case EACCES:
    case EPERM: return "permission denied (is the file read-only?)";
    case EROFS: return "the file system is read-only";
    case ENOSPC: return "the disk is full";
    case EFBIG: return "the file would pass the size limit for files";
    case EISDIR: return kFolder;
    default: return std::strerror(err);
    }
}

Result<FileHandle> openRegularFile(const std::filesystem::path& path, bool forWriting)
{
    using R = Result<FileHandle>;
    // others may go on reading and writing it, as on other systems
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | (forWriting ? GENERIC_WRITE : 0),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return R::failure(openFailure(path, GetLastError(), forWriting));
    // the kind is told by the opened handle: a device (NUL, CON, COM1) or a
    // pipe opens too, but is no file
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
        CloseHandle(handle);
        return R::failure(kNotRegular);
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        CloseHandle(handle);
        return R::failure(kFolder);
    }
    // Windows refuses to write such a file to anyone; an administrator's
    // handle (or Wine's, run as root) may get through, so it is told here
    if (forWriting && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        CloseHandle(handle);
        return R::failure(kReadOnly);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), (forWriting ? _O_RDWR : _O_RDONLY) | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return R::failure(fileErrorReason(errno));
    }
    std::FILE* f = _fdopen(fd, forWriting ? "r+b" : "rb");
    if (!f) {
        const int err = errno;
        _close(fd);
        return R::failure(fileErrorReason(err));
    }
    return FileHandle(f);
}

std::optional<std::uint64_t> openFileSize(std::FILE* f)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handleOf(f), &size) || size.QuadPart < 0) {
        errno = EIO;
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool readFileAt(std::FILE* f, std::uint64_t position, std::uint8_t* out, std::size_t count)
{
    const HANDLE handle = handleOf(f);
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(count < (1u << 30) ? count : (1u << 30));
        if (!ReadFile(handle, out, chunk, &read, &at) || read == 0) {
            const DWORD error = GetLastError();
            errno = error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ? EACCES : EIO;
            return false;
        }
        out += read;
        position += read;
        count -= read;
    }
    return true;
}

bool writeFileAt(std::FILE* f, std::uint64_t position, const std::uint8_t* bytes, std::size_t count)
{
    const HANDLE handle = handleOf(f);
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(count < (1u << 30) ? count : (1u << 30));
        if (!WriteFile(handle, bytes, chunk, &written, &at) || written == 0) {
            const DWORD error = GetLastError();
            errno = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
                    : error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ? EACCES
                                                                                     : EIO;
            return false;
        }
        bytes += written;
        position += written;
        count -= written;
    }
    return true;
}
