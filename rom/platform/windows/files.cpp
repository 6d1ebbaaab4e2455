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

// ".vf-k3x9q0": a writer's temporary file; ".game.sfc.1234-0-89abcdef.part":
// one of an earlier version of the program
bool isTemporaryName(const std::wstring& name)
{
    if (name.size() == 10 && name.starts_with(L".vf-"))
        return name.find_first_not_of(L"abcdefghijklmnopqrstuvwxyz0123456789", 4) == std::wstring::npos;
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
// The name is short (".vf-" and six characters), so it fits wherever the
// output's name fits: a name of its own beside a long output name would pass
// the 255 characters a name may have.
HANDLE createTemporary(const fs::path& path, fs::path& temporary)
{
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
    removeLeftovers(path.parent_path());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // names ignore case on Windows: 36 letters, not 62
        std::uint64_t pick = (std::uint64_t(random()) << 20) ^ (std::uint64_t(GetCurrentProcessId()) << 8) ^ counter++;
        std::wstring name = L".vf-";
        for (int i = 0; i < 6; ++i, pick /= 36)
            name += kLetters[pick % 36];
        temporary = path.parent_path() / name;
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

// The device name Windows keeps for itself that `name` stands for (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, in any case and with any extension: "con.csv" is
// the console too), or an empty text.
std::wstring reservedDeviceName(std::wstring name)
{
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.'))
        name.pop_back();
    for (wchar_t& c : name)
        c = c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c;
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (name == device)
            return name;
    // COM0 and LPT0 as well, and the superscript digits 1-3 that Windows counts too
    const bool numbered = name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT"))
                          && ((name[3] >= L'0' && name[3] <= L'9') || name[3] == L'\u00B9' || name[3] == L'\u00B2'
                              || name[3] == L'\u00B3');
    return numbered ? name : std::wstring();
}

// Whether an existing file is held open by another program that does not let
// it be deleted or replaced (a spreadsheet holding a CSV): a handle that asks
// for nothing but deleting it, sharing everything, is refused then.
bool heldByAnotherProgram(const fs::path& path)
{
    const HANDLE handle = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// The checks every replaced or new output passes; empty when it may be written.
std::string outputRefusal(const fs::path& path, Existing existing)
{
    // the name would open the device, whatever folder it is in
    if (const std::wstring device = reservedDeviceName(path.filename().native()); !device.empty())
        return utf8FromWide(device) + " is a device name that Windows reserves (as CON, PRN, AUX, NUL, COM1 "
               "and LPT1 are, with any extension); choose another name";
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

Status placed(const fs::path& path, DWORD error, bool made = true)
{
    auto refuse = [&](const std::string& why) { return Status::failure("cannot write " + pathToUtf8(path) + ": " + why); };
    if (error == ERROR_PATH_NOT_FOUND)
        return refuse("no such folder");
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return refuse("the file already exists");
    // the file is not read-only (told before): another program has it open
    if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) && heldByAnotherProgram(path))
        return refuse("the file is open in another program (a spreadsheet, say); close it there and try again; "
                      "nothing was written");
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
    return placed(path, error, made);
}

Status replaceOpenFile(const fs::path& path, std::span<const std::uint8_t> bytes, const std::function<void()>& release)
{
    const std::string name = pathToUtf8(path);
    if (const std::string refusal = outputRefusal(path, Existing::Replace); !refusal.empty())
        return Status::failure("cannot write " + name + ": " + refusal);
    fs::path temporary;
    bool made = false;
    if (const DWORD error = writeTemporary(path, bytes, temporary, made); error != 0)
        return placed(path, error, made);
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
    return placed(path, error);
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
