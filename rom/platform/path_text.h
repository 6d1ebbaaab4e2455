#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// File names as the tools and the messages carry them: UTF-8 text. Windows
// keeps names in UTF-16; the conversion between the two happens here and
// nowhere else, and never through the system's ANSI code page (which would
// lose every character it cannot hold).

// A path from a UTF-8 name (a command-line word, a name in a file).
std::filesystem::path pathFromUtf8(std::string_view text);

// A path's name as UTF-8, for messages and output. Never fails: what cannot
// be told (a broken UTF-16 name) shows as U+FFFD.
std::string pathToUtf8(const std::filesystem::path& path);

// The one name of an existing file: absolute, with "." and ".." and links
// resolved, as std::filesystem::canonical gives it. On Windows a name with the
// long-path prefix (\\?\C:\..., \\?\UNC\server\share\...), which the C++
// library cannot resolve, is resolved by the system and keeps its prefix, so
// that a file beyond 260 characters can be written through it. Empty, with
// `error` set, for a file that does not exist or cannot be opened.
std::filesystem::path canonicalPath(const std::filesystem::path& path, std::error_code& error);
// The path of an existing file as the system resolves it, to tell one file by:
// canonicalPath's, and on Windows every name as the volume stores it (its
// case, the drive letter upper-case) and without the long-path prefix, however
// it was typed. Fails as canonicalPath does.
std::filesystem::path resolvedPath(const std::filesystem::path& path, std::error_code& error);
