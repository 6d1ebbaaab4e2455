#include "rom/rom_image.h"

#include "rom/file_lock.h"
#include "rom/identity.h"
#include "rom/regular_file.h"
#include "rom/tables.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

std::string hex(std::uint64_t value)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(value));
    return buf;
}

Result<FileHandle> openExisting(const std::filesystem::path& path, bool forWriting, const char* verb)
{
    const std::string name = path.string();
    if (name.empty())
        return Result<FileHandle>::failure("no ROM image is loaded");
    auto file = openRegularFile(path, forWriting);
    if (!file)
        return Result<FileHandle>::failure(std::string("cannot ") + verb + " " + name + ": " + file.error());
    return file;
}

Result<std::uint64_t> fileSize(std::FILE* f)
{
    const auto size = openFileSize(f);
    if (!size)
        return Result<std::uint64_t>::failure("cannot tell its size: " + fileErrorReason(errno));
    return *size;
}

// Whether the open file of `size` bytes holds the game's identity value. The
// file may have been replaced or changed since Load accepted it: every access
// checks again, in the open that reads or writes.
Status checkIdentity(std::FILE* f, std::uint64_t size)
{
    constexpr const char* notAnImage = "it is not a Veldra Saga ROM";
    if (size < std::uint64_t(kIdentityPosition) + 4)
        return Status::failure(std::string(notAnImage) + " (it is too short to hold the identity value at "
                               + hex(kIdentityPosition) + ")");
    std::uint8_t b[4];
    if (!readFileAt(f, kIdentityPosition, b, 4))
        return Status::failure(fileErrorReason(errno));
    if (!isGameIdentity(decodeIdentity(b)))
        return Status::failure(std::string(notAnImage) + " (the identity value at " + hex(kIdentityPosition)
                               + " does not match)");
    return success();
}

// The image opened for reading or writing, its size told and its identity
// checked in that same open; the reason names the file and what was tried.
struct OpenImage {
    FileHandle file;
    std::uint64_t size = 0;
};

Result<OpenImage> openChecked(const std::filesystem::path& path, IdentityCheck check, bool forWriting)
{
    const char* verb = forWriting ? "write" : "read";
    auto file = openExisting(path, forWriting, verb);
    if (!file)
        return Result<OpenImage>::failure(file.error());
    const std::string cannot = std::string("cannot ") + verb + " " + path.string() + ": ";
    auto size = fileSize(file->get());
    if (!size)
        return Result<OpenImage>::failure(cannot + size.error());
    if (check == IdentityCheck::Required)
        if (const Status identified = checkIdentity(file->get(), *size); !identified)
            return Result<OpenImage>::failure(cannot + identified.error());
    return OpenImage{std::move(file.value()), *size};
}

// "the file ends at 0x35F604, before the bytes 0x35F602..0x35F605", or for
// nothing at all past the end, "before 0x35F602"
std::string endsBefore(std::uint64_t size, std::uint64_t position, std::size_t count)
{
    const std::string where = count == 0 ? hex(position)
                              : count == 1 ? "the byte " + hex(position)
                                           : "the bytes " + hex(position) + ".." + hex(position + count - 1);
    return "the file ends at " + hex(size) + ", before " + where;
}

}  // namespace

RomImage::RomImage(std::filesystem::path path, IdentityCheck check) : m_path(std::move(path)), m_check(check) {}

Result<Bytes> RomImage::read(std::uint32_t position, std::size_t count) const
{
    const Range range{position, count};
    return std::move(readEach({&range, 1}).front());
}

Result<Bytes> RomImage::readAll() const { return read(0, kToEnd); }

Status RomImage::check() const
{
    const auto nothing = read(0, 0);
    return nothing ? success() : Status::failure(nothing.error());
}

std::vector<Result<Bytes>> RomImage::readEach(std::span<const Range> ranges) const
{
    // one opening, one size and one identity check for all ranges; a failure
    // there fails each of them with the same reason
    const auto opened = openChecked(m_path, m_check, false);
    std::vector<Result<Bytes>> results;
    results.reserve(ranges.size());
    for (const Range& range : ranges) {
        if (!opened)
            results.push_back(Result<Bytes>::failure(opened.error()));
        else
            results.push_back(readOpen(opened->file.get(), opened->size, range.position,
                                       range.count == kToEnd ? static_cast<std::size_t>(opened->size
                                                                   - std::min<std::uint64_t>(range.position, opened->size))
                                                             : range.count));
    }
    return results;
}

Result<Bytes> RomImage::readOpen(std::FILE* file, std::uint64_t size, std::uint32_t position, std::size_t count) const
{
    const std::string name = m_path.string();
    if (std::uint64_t(position) + count > size)
        return Result<Bytes>::failure("cannot read " + name + ": " + endsBefore(size, position, count));
    Bytes bytes(count);
    if (count > 0 && !readFileAt(file, position, bytes.data(), count))
        return Result<Bytes>::failure("cannot read " + name + ": " + fileErrorReason(errno));
    return bytes;
}

Status RomImage::write(std::uint32_t position, std::span<const std::uint8_t> bytes) const
{
    const auto writer = openForWriting();
    if (!writer)
        return Status::failure(writer.error());
    return writer->write(position, bytes);
}

Result<RomImage::Writer> RomImage::openForWriting() const
{
    using R = Result<Writer>;
    const std::string name = m_path.string();
    // the lock first: the identity and every record are read under it
    auto file = openLocked();
    if (!file)
        return R::failure(file.error());
    const std::string cannot = "cannot write " + name + ": ";
    auto size = fileSize(file->get());
    if (!size)
        return R::failure(cannot + size.error());
    if (m_check == IdentityCheck::Required)
        if (const Status identified = checkIdentity(file->get(), *size); !identified)
            return R::failure(cannot + identified.error());
    return Writer(m_path, std::move(file.value()), *size);
}

Status RomImage::lockAgainstWriters(std::FILE* file) const
{
    const std::string name = m_path.string();
    switch (lockExclusive(file, kWriterPatience)) {
    case LockOutcome::Locked:
        return success();
    case LockOutcome::Busy:
        return Status::failure("cannot write " + name + ": another program or window is writing it and has not let go for "
                               + std::to_string(kWriterPatience.count() / 1000) + " seconds; nothing was written, try again");
    case LockOutcome::Failed:
        break;
    }
    return Status::failure("cannot write " + name + ": it cannot be locked against other writers (" + fileErrorReason(errno) + ")");
}

Result<FileHandle> RomImage::openLocked() const
{
    // A writer that waited for the lock while another put a whole new file in
    // the image's place (a restore writes a new file and renames it over the
    // image) holds the lock of a file no longer at the path, which nobody
    // will read again: it opens the path again instead of writing there.
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto file = openExisting(m_path, true, "write");
        if (!file)
            return file;
        if (const Status locked = lockAgainstWriters(file->get()); !locked)
            return Result<FileHandle>::failure(locked.error());
        const auto atPath = openExisting(m_path, false, "write");
        if (!atPath)
            return Result<FileHandle>::failure(atPath.error());
        if (sameOpenFile(file->get(), atPath->get()))
            return file;
    }
    return Result<FileHandle>::failure("cannot write " + m_path.string()
                                       + ": another program keeps putting a new file in its place; nothing was written, "
                                         "try again");
}

Result<RomImage::HeldLock> RomImage::holdWritersLock() const
{
    using R = Result<HeldLock>;
    auto file = openLocked();
    if (!file)
        return R::failure(file.error());
    LockedHere mark(file->get());
    return HeldLock(std::move(file.value()), std::move(mark));
}

Result<Bytes> RomImage::Writer::read(std::uint32_t position, std::size_t count) const
{
    if (std::uint64_t(position) + count > m_size)
        return Result<Bytes>::failure("cannot read " + m_path.string() + ": " + endsBefore(m_size, position, count));
    Bytes bytes(count);
    if (count > 0 && !readFileAt(m_file.get(), position, bytes.data(), count))
        return Result<Bytes>::failure("cannot read " + m_path.string() + ": " + fileErrorReason(errno));
    return bytes;
}

Status RomImage::Writer::write(std::uint32_t position, std::span<const std::uint8_t> bytes) const
{
    const std::string name = m_path.string();
    // never grow the file: a record that does not fit is not written at all
    if (std::uint64_t(position) + bytes.size() > m_size)
        return Status::failure("cannot write " + name + ": " + endsBefore(m_size, position, bytes.size()));
    if (!bytes.empty() && !writeFileAt(m_file.get(), position, bytes.data(), bytes.size()))
        return Status::failure("cannot write " + name + ": " + fileErrorReason(errno));
    return success();
}

std::uint16_t wordAt(std::span<const std::uint8_t> record, std::size_t offset)
{
    return static_cast<std::uint16_t>(record[offset] | (record[offset + 1] << 8));
}

void putWord(std::span<std::uint8_t> record, std::size_t offset, std::uint16_t value)
{
    record[offset] = static_cast<std::uint8_t>(value & 0xFF);
    record[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}
