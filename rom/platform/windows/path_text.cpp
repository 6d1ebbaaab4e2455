#include "rom/platform/path_text.h"

#include "rom/platform/windows/win_text.h"

std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(wideFromUtf8(text)); }

std::string pathToUtf8(const std::filesystem::path& path) { return utf8FromWide(path.native()); }
