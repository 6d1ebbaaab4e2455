#include "rom/files.h"

#include "rom/platform/path_text.h"
#include "rom/platform/windows/win_text.h"
#include "rom/regular_file.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>
#include <cerrno>
#include <cstdio>
#include <random>

namespace fs = std::filesystem;

namespace {

// ".game.sfc.1234-0-89abcdef.part": the name, the process, a count, a random part
bool isTemporaryName(const std::wstring& name)
{
    const auto part = name.rfind(L".part");
    if (name.size() < 8 || name[0] != L'.' || part == std::wstring::npos || part + 5 != name.size())
        return false;
    const auto dot = name.rfind(L'.', part - 1);
    if (dot == std::wstring::npos || dot == 0)
        return false;
    const std::wstring middle = name.substr(dot + 1, part - dot - 1);
    const auto first = middle.find(L'-'), last = middle.rfind(L'-');
    return first != std::wstring::npos && first != last && middle.size() - last - 1 == 8
           && middle.find_first_not_of(L"0123456789abcdef-") == std::wstring::npos;
}

// Removes the temporary files of runs that ended before their move: a writer
// holds its temporary file open, shared with nobody, until it closes it just
// before the move, so one that can be deleted, and was last written a while
// ago, is nobody's.
void removeLeftovers(const fs::path& folder)
{
    std::error_code error;
    const auto oldest = fs::file_time_type::clock::now() - std::chrono::seconds(10);
    for (fs::directory_iterator it(folder.empty() ? fs::path(L".") : folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        if (isTemporaryName(it->path().filename().native()) && it->is_regular_file(ignored)
            && it->last_write_time(ignored) < oldest && !ignored)
            DeleteFileW(it->path().c_str());
    }
}

// A new, exclusive file next to `path` (same folder, so that the move stays
// on one volume); its handle, or INVALID_HANDLE_VALUE with the last error set.
HANDLE createTemporary(const fs::path& path, fs::path& temporary)
{
    static std::atomic<unsigned> counter{0};
    removeLeftovers(path.parent_path());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[48];
        swprintf(suffix, sizeof suffix / sizeof suffix[0], L".%lu-%u-%08x.part", GetCurrentProcessId(), counter++,
                 unsigned(random()));
        // a name near the limit of 255 would pass it with the suffix
        const std::wstring name = path.filename().native();
        temporary = path.parent_path() / (L"." + (name.size() <= 200 ? name : std::wstring(L"vf")) + suffix);
        const HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE handle, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const auto chunk = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr))
            return false;
        done += written;
    }
    return true;
}

}  // namespace

namespace {

// The checks every replaced or new output passes; empty when it may be written.
std::string outputRefusal(const fs::path& path, Existing existing)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "it is a folder, not a file";
    // a device or a pipe is never turned into a plain file, not even with --force
    if (exists && (attributes & FILE_ATTRIBUTE_DEVICE))
        return "it is not a regular file (a pipe, a device or the like), and it is never replaced";
    if (exists && existing == Existing::Refuse)
        return "the file already exists";
    // the move would fail on it; say why rather than "access denied"
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        return "the file is read-only";
    return {};
}

// Writes `bytes` to a new temporary file beside `path` and closes it: 0 or
// the error, with the temporary file gone again. `made` tells whether the
// temporary file was made at all.
DWORD writeTemporary(const fs::path& path, std::span<const std::uint8_t> bytes, fs::path& temporary, bool& made)
{
    const HANDLE handle = createTemporary(path, temporary);
    made = handle != INVALID_HANDLE_VALUE;
    if (!made)
        return GetLastError();
    DWORD error = 0;
    if (!writeAll(handle, bytes) || !FlushFileBuffers(handle))
        error = GetLastError();
    if (!CloseHandle(handle) && error == 0)
        error = GetLastError();
    if (error != 0)
        DeleteFileW(temporary.c_str());
    return error;
}

Status placed(const std::string& name, DWORD error, bool made = true)
{
    auto refuse = [&](const std::string& why) { return Status::failure("cannot write " + name + ": " + why); };
    if (error == ERROR_PATH_NOT_FOUND)
        return refuse("no such folder");
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return refuse("the file already exists");
    if (error != 0)
        return refuse(fileErrorText(error) + (made ? "; nothing was written" : ""));
    return success();
}

// Renames `temporary` over `path` with POSIX semantics (Windows 10 on NTFS):
// a file still open at `path` is replaced all the same, its holders keeping
// the old one. False where the system or the volume cannot.
bool renameOverOpenFile(const fs::path& temporary, const fs::path& path)
{
    const HANDLE handle = CreateFileW(temporary.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    std::error_code error;
    const std::wstring target = fs::absolute(path, error).native();
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<std::uint8_t> info(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(info.data());
    const DWORD flags = 0x1 | 0x2;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS
    std::memcpy(info.data(), &flags, sizeof flags);  // the union of ReplaceIfExists and Flags
    rename->FileNameLength = DWORD(nameBytes);
    std::memcpy(rename->FileName, target.c_str(), nameBytes);
    const auto renameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);  // FileRenameInfoEx
    const bool done = !error && SetFileInformationByHandle(handle, renameInfoEx, info.data(), DWORD(info.size()));
    CloseHandle(handle);
    return done;
}

}  // namespace

Status writeNewFile(const fs::path& path, std::span<const std::uint8_t> bytes, Existing existing)
{
    const std::string name = pathToUtf8(path);
    if (path.empty())
        return Status::failure("no output file is named");
    if (const std::string refusal = outputRefusal(path, existing); !refusal.empty())
        return Status::failure("cannot write " + name + ": " + refusal);
    fs::path temporary;
    bool made = false;
    DWORD error = writeTemporary(path, bytes, temporary, made);
    // in place only once complete; without REPLACE_EXISTING the move refuses
    // an output that appeared meanwhile
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (existing == Existing::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (error == 0 && !MoveFileExW(temporary.c_str(), path.c_str(), flags)) {
        error = GetLastError();
        DeleteFileW(temporary.c_str());
    }
    return placed(name, error, made);
}

Status replaceOpenFile(const fs::path& path, std::span<const std::uint8_t> bytes, const std::function<void()>& release)
{
    const std::string name = pathToUtf8(path);
    if (const std::string refusal = outputRefusal(path, Existing::Replace); !refusal.empty())
        return Status::failure("cannot write " + name + ": " + refusal);
    fs::path temporary;
    bool made = false;
    if (const DWORD error = writeTemporary(path, bytes, temporary, made); error != 0)
        return placed(name, error, made);
    if (renameOverOpenFile(temporary, path))
        return success();
    // the old way: no file open at `path` may stay open during the move
    release();
    DWORD error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {  // a reader may hold it for a moment
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING))
            return success();
        error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            break;
        Sleep(50);
    }
    DeleteFileW(temporary.c_str());
    return placed(name, error);
}

Status appendDurably(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    auto refuse = [&](DWORD error) { return Status::failure("cannot write " + pathToUtf8(path) + ": " + fileErrorText(error)); };
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return refuse(GetLastError());
    LARGE_INTEGER end{};
    DWORD error = 0;
    if (!SetFilePointerEx(handle, LARGE_INTEGER{}, &end, FILE_END))
        error = GetLastError();
    if (error == 0 && (!writeAll(handle, bytes) || !FlushFileBuffers(handle))) {
        error = GetLastError();
        // what went in of a write that stopped part-way is taken off again
        if (SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle))
            FlushFileBuffers(handle);
    }
    if (!CloseHandle(handle) && error == 0)
        error = GetLastError();
    return error == 0 ? success() : refuse(error);
}

bool sameFile(const fs::path& a, const fs::path& b)
{
    // one file whatever the spelling (case, 8.3 name, another folder's "..",
    // a drive letter against a UNC name): the volume and the file's index
    const auto identify = [](const fs::path& p, BY_HANDLE_FILE_INFORMATION& info) {
        const HANDLE h = CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        const bool told = GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        return told;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return identify(a, x) && identify(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber
           && x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}
