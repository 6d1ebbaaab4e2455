#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <string_view>

// File names as the tools and the messages carry them: UTF-8 text. Windows
// keeps names in UTF-16; the conversion between the two happens here and
// nowhere else, and never through the system's ANSI code page (which would
// lose every character it cannot hold).

// A path from a UTF-8 name (a command-line word, a name in a file).
std::filesystem::path pathFromUtf8(std::string_view text);

// A path's name as UTF-8, for messages and output. Never fails: what cannot
// be told (a broken UTF-16 name) shows as U+FFFD.
std::string pathToUtf8(const std::filesystem::path& path);

// The path of an existing file as the system resolves it: links and ".."
// followed, and on Windows every name as the volume stores it (its case, the
// drive letter upper-case), however it was typed. Fails as fs::canonical does.
std::filesystem::path resolvedPath(const std::filesystem::path& path, std::error_code& error);
