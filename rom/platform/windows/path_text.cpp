#include "rom/platform/path_text.h"

#include "rom/platform/windows/win_text.h"

namespace fs = std::filesystem;

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(wideFromUtf8(text)); }

std::string pathToUtf8(const std::filesystem::path& path) { return utf8FromWide(path.native()); }

fs::path canonicalPath(const fs::path& path, std::error_code& error)
{
    error.clear();
    if (!path.native().starts_with(LR"(\\?\)"))
        return fs::canonical(path, error);
    // the system's own name of the opened file: "\\?\C:\..." or "\\?\UNC\...",
    // links and the letters' case as the folder holds them
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error.assign(static_cast<int>(GetLastError()), std::system_category());
        return {};
    }
    // room for the longest name Windows has
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    // the system takes a prefixed name as it stands (no "." or ".." in it), and
    // it opened this one: where it cannot tell the final name (Wine's has room
    // for 260 characters only), the name as given is the file's
    if (n == 0 || n >= name.size())
        return path;
    name.resize(n);
    return fs::path(name);
}
