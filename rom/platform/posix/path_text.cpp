#include "rom/platform/path_text.h"

// Names are bytes here, and UTF-8 by convention: nothing to convert.
std::filesystem::path pathFromUtf8(std::string_view text) { return std::filesystem::path(std::string(text)); }

std::string pathToUtf8(const std::filesystem::path& path) { return path.native(); }

std::filesystem::path canonicalPath(const std::filesystem::path& path, std::error_code& error)
{
    return std::filesystem::canonical(path, error);
}

std::filesystem::path resolvedPath(const std::filesystem::path& path, std::error_code& error)
{
    return canonicalPath(path, error);
}
