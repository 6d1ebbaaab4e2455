#pragma once

#include "rom/result.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing regular file for binary reading, or reading and writing;
// never creates one. Anything else at the path (a folder, a named pipe, a
// device) is refused without waiting on it: the open itself does not block,
// and the file's kind is checked on the opened handle, so that nothing can be
// put in its place between the check and the use. The reason says what is
// wrong, without the path (the caller names it).
Result<FileHandle> openRegularFile(const std::filesystem::path& path, bool forWriting);

// A reason for a failed file call, from its errno.
std::string fileErrorReason(int err);
inline constexpr const char* kFolderReason = "it is a folder, not a file";

// The size of an open file; nothing, with errno set, when it cannot be told.
std::optional<std::uint64_t> openFileSize(std::FILE* f);

// Reads exactly `count` bytes at `position` of an open file, straight from the
// file: no stream buffer filled around them, no seek. A record switch in an
// editor reads several small records in one opening, and each buffered read
// would fetch a whole block. False, with errno set (EIO for a file that ends
// early), when not all could be read.
bool readFileAt(std::FILE* f, std::uint64_t position, std::uint8_t* out, std::size_t count);

// Writes all `count` bytes at `position` of a file open for writing, straight
// to the file. False, with errno set, when not all went in: the bytes before
// the failure may have been written (a size limit or a full disk stops a
// write part-way), and the caller mends or reports that. A file size limit
// never ends the program here: the write fails with EFBIG instead.
bool writeFileAt(std::FILE* f, std::uint64_t position, const std::uint8_t* bytes, std::size_t count);
