#include "rom/regular_file.h"

#include "rom/platform/windows/win_text.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

namespace {

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
            return kFolderReason;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) && forWriting)
            return kReadOnly;
    }
    return fileErrorText(error);
}

}  // namespace

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
        return R::failure(kFolderReason);
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

namespace {

// Repeats one ReadFile or WriteFile call at a position until `count` bytes
// have moved (one call moves at most 1 GiB); a call that fails or moves
// nothing sets errno from the error `errnoOf` maps.
template <typename Call, typename ErrnoOf>
bool moveAll(std::FILE* f, std::uint64_t position, std::size_t count, Call call, ErrnoOf errnoOf)
{
    const HANDLE handle = handleOf(f);
    std::size_t done = 0;
    while (done < count) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position + done);
        at.OffsetHigh = static_cast<DWORD>((position + done) >> 32);
        DWORD moved = 0;
        const std::size_t rest = count - done;
        const auto chunk = static_cast<DWORD>(rest < (1u << 30) ? rest : (1u << 30));
        if (!call(handle, done, chunk, &moved, &at) || moved == 0) {
            errno = errnoOf(GetLastError());
            return false;
        }
        done += moved;
    }
    return true;
}

}  // namespace

bool readFileAt(std::FILE* f, std::uint64_t position, std::uint8_t* out, std::size_t count)
{
    return moveAll(
        f, position, count,
        [&](HANDLE h, std::size_t done, DWORD chunk, DWORD* moved, OVERLAPPED* at) {
            return ReadFile(h, out + done, chunk, moved, at);
        },
        [](DWORD error) { return error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ? EACCES : EIO; });
}

bool writeFileAt(std::FILE* f, std::uint64_t position, const std::uint8_t* bytes, std::size_t count)
{
    return moveAll(
        f, position, count,
        [&](HANDLE h, std::size_t done, DWORD chunk, DWORD* moved, OVERLAPPED* at) {
            return WriteFile(h, bytes + done, chunk, moved, at);
        },
        [](DWORD error) {
            if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
                return ENOSPC;
            return error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ? EACCES : EIO;
        });
}
