#include "rom/platform/path_text.h"

#include "rom/platform/windows/win_text.h"

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(wideFromUtf8(text)); }

std::string pathToUtf8(const std::filesystem::path& path) { return utf8FromWide(path.native()); }

std::filesystem::path resolvedPath(const std::filesystem::path& path, std::error_code& error)
{
    std::filesystem::path canonical = std::filesystem::canonical(path, error);
    if (error)
        return {};
    // the name the volume keeps, found through the file itself
    const HANDLE handle = CreateFileW(canonical.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return canonical;
    std::wstring name(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle, name.data(), DWORD(name.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    if (length == 0 || length >= name.size())
        return canonical;
    name.resize(length);
    if (name.starts_with(L"\\\\?\\UNC\\"))
        name = L"\\\\" + name.substr(8);
    else if (name.starts_with(L"\\\\?\\"))
        name = name.substr(4);
    return std::filesystem::path(name);
}
