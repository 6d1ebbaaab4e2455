#include "rom/files.h"

#include "rom/platform/path_text.h"
#include "rom/platform/windows/win_text.h"
#include "rom/regular_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

namespace fs = std::filesystem;

namespace {

// A new, exclusive file next to `path` (same folder, so that the move stays
// on one volume); its handle, or INVALID_HANDLE_VALUE with the last error set.
// The name is short (".vf-" and six characters), so it fits wherever the
// output's name fits: a name of its own beside a long output name would pass
// the 255 characters a name may have.
HANDLE createTemporary(const fs::path& path, fs::path& temporary)
{
    static constexpr wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
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

}  // namespace

Status writeNewFile(const fs::path& path, std::span<const std::uint8_t> bytes, Existing existing)
{
    const std::string name = pathToUtf8(path);
    auto refuse = [&](const std::string& why) { return Status::failure("cannot write " + name + ": " + why); };
    if (path.empty())
        return Status::failure("no output file is named");
    // the name would open the device, whatever folder it is in
    if (const std::wstring device = reservedDeviceName(path.filename().native()); !device.empty())
        return refuse(utf8FromWide(device) + " is a device name that Windows reserves (as CON, PRN, AUX, NUL, COM1 "
                      "and LPT1 are, with any extension); choose another name");
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return refuse("it is a folder, not a file");
    // a device or a pipe is never turned into a plain file, not even with --force
    if (exists && (attributes & FILE_ATTRIBUTE_DEVICE))
        return refuse("it is not a regular file (a pipe, a device or the like), and it is never replaced");
    if (exists && existing == Existing::Refuse)
        return refuse("the file already exists");
    // the move would fail on it; say why rather than "access denied"
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        return refuse("the file is read-only");

    fs::path temporary;
    const HANDLE handle = createTemporary(path, temporary);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return refuse(error == ERROR_PATH_NOT_FOUND ? "no such folder" : fileErrorText(error));
    }
    DWORD error = 0;
    if (!writeAll(handle, bytes) || !FlushFileBuffers(handle))
        error = GetLastError();
    if (!CloseHandle(handle) && error == 0)
        error = GetLastError();
    // in place only once complete; without REPLACE_EXISTING the move refuses
    // an output that appeared meanwhile
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (existing == Existing::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (error == 0 && !MoveFileExW(temporary.c_str(), path.c_str(), flags))
        error = GetLastError();
    if (error != 0)
        DeleteFileW(temporary.c_str());
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return refuse("the file already exists");
    // the file is not read-only (told above): another program has it open
    if ((error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) && exists && heldByAnotherProgram(path))
        return refuse("the file is open in another program (a spreadsheet, say); close it there and try again; "
                      "nothing was written");
    if (error != 0)
        return refuse(fileErrorText(error) + "; nothing was written");
    return success();
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
