#include "rom/platform/path_text.h"

#include "rom/platform/windows/win_text.h"

#include <optional>

namespace fs = std::filesystem;

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(wideFromUtf8(text)); }

std::string pathToUtf8(const std::filesystem::path& path) { return utf8FromWide(path.native()); }

namespace {

// The system's own name of an existing file, found through the file itself:
// "\\?\C:\..." or "\\?\UNC\...", links followed and every name in the case
// the volume keeps. Nothing where the file cannot be opened (the last error
// tells why) or the system cannot tell the name (Wine's answer has room for
// 260 characters only).
std::optional<std::wstring> finalName(const fs::path& path)
{
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    // room for the longest name Windows has
    std::wstring name(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    if (n == 0 || n >= name.size()) {
        SetLastError(ERROR_SUCCESS);
        return std::nullopt;
    }
    name.resize(n);
    return name;
}

}  // namespace

fs::path canonicalPath(const fs::path& path, std::error_code& error)
{
    error.clear();
    if (!path.native().starts_with(LR"(\\?\)"))
        return fs::canonical(path, error);
    // the C++ library cannot resolve a prefixed name; the system takes it as
    // it stands (no "." or ".." in it)
    if (auto name = finalName(path))
        return fs::path(*name);
    if (const DWORD why = GetLastError(); why != ERROR_SUCCESS) {
        error.assign(static_cast<int>(why), std::system_category());
        return {};
    }
    // the system opened it but cannot tell its final name: the name as given is the file's
    return path;
}

fs::path resolvedPath(const fs::path& path, std::error_code& error)
{
    const fs::path canonical = canonicalPath(path, error);
    if (error)
        return {};
    auto name = finalName(canonical);
    if (!name)
        return canonical;
    // one name however it was typed: with the long-path prefix or without
    if (name->starts_with(LR"(\\?\UNC\)"))
        *name = LR"(\\)" + name->substr(8);
    else if (name->starts_with(LR"(\\?\)"))
        *name = name->substr(4);
    return fs::path(*name);
}
