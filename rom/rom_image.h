#pragma once

#include "rom/file_lock.h"

#include "rom/regular_file.h"
#include "rom/result.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Whether a file access first checks that the file is an image of the game.
enum class IdentityCheck : std::uint8_t {
    Required,  // every read and write of an image: the editors, the tools
    Skipped,   // the identity check itself, and writers of new images
};

// The ROM image file, edited in place. Every call opens the existing file,
// checks its identity value in that same open (unless told not to), transfers
// exactly the bytes asked for and closes it again: nothing is held or cached
// between calls, and a missing file is never created. A file that fails the
// check is refused with a reason naming it: nothing is read or written.
class RomImage {
public:
    explicit RomImage(std::filesystem::path path, IdentityCheck check = IdentityCheck::Required);

    const std::filesystem::path& path() const { return m_path; }

    Result<Bytes> read(std::uint32_t position, std::size_t count) const;
    // The checks of every read (a regular file, the game's identity), reading nothing.
    Status check() const;
    // The whole file in one read, after the same check: for the tools that
    // look at every table at once (dump, diff, import).
    Result<Bytes> readAll() const;

    struct Range {
        std::uint32_t position;
        std::size_t count;
    };
    // Reads several ranges within one opening of the file, each as read()
    // would: one result per range, in order.
    std::vector<Result<Bytes>> readEach(std::span<const Range> ranges) const;
    // Writes all bytes in one call, or nothing when the file cannot take them,
    // under the writers' lock (see Writer).
    Status write(std::uint32_t position, std::span<const std::uint8_t> bytes) const;

    class Writer;
    // The image opened once for writing, its identity checked, and the
    // writers' exclusive lock held until the Writer goes: what is read through
    // it cannot be changed by another writer (a window, the tool) before what
    // is written through it. A writer that still holds the lock after a few
    // seconds makes this fail with a reason naming the file.
    Result<Writer> openForWriting() const;

    // The writers' lock held for as long as the returned value lives, for a
    // command that reads records, works out new ones and writes them: no
    // other writer comes between its read and its write. The writes of this
    // process pass through it; another process's wait for it as for any
    // writer, and give up after the same few seconds.
    class HeldLock;
    Result<HeldLock> holdWritersLock() const;

private:
    Status lockAgainstWriters(std::FILE* file) const;
    // The image opened for writing, with the writers' lock held.
    Result<FileHandle> openLocked() const;
    // a Range count meaning every byte from its position to the file's end
    static constexpr std::size_t kToEnd = static_cast<std::size_t>(-1);
    Result<Bytes> readOpen(std::FILE* file, std::uint64_t size, std::uint32_t position, std::size_t count) const;

    std::filesystem::path m_path;
    IdentityCheck m_check;
};

class RomImage::Writer {
public:
    const std::filesystem::path& path() const { return m_path; }
    std::uint64_t size() const { return m_size; }
    Result<Bytes> read(std::uint32_t position, std::size_t count) const;
    // Every byte, or a failure saying so; bytes before the failure may have
    // gone in (a size limit or a full disk stops a write part-way).
    Status write(std::uint32_t position, std::span<const std::uint8_t> bytes) const;

private:
    friend class RomImage;
    Writer(std::filesystem::path path, FileHandle file, std::uint64_t size)
        : m_path(std::move(path)), m_file(std::move(file)), m_size(size) {}
    std::filesystem::path m_path;
    FileHandle m_file;
    std::uint64_t m_size;
};

class RomImage::HeldLock {
private:
    friend class RomImage;
    HeldLock(FileHandle file, LockedHere mark) : m_file(std::move(file)), m_mark(std::move(mark)) {}
    FileHandle m_file;
    LockedHere m_mark;  // after the file in the members: let go before it closes
};

// Little-endian words inside a record buffer.
std::uint16_t wordAt(std::span<const std::uint8_t> record, std::size_t offset);
void putWord(std::span<std::uint8_t> record, std::size_t offset, std::uint16_t value);
