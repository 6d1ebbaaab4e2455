#include "rom/rom_image.h"

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
    const std::uint32_t value = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16
                                | std::uint32_t(b[3]) << 24;
    if (static_cast<std::int32_t>(value) != kIdentityValue)
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
        return Result<Bytes>::failure("cannot read " + name + ": the file ends at " + hex(size) + ", before the bytes "
                                      + hex(position) + ".." + hex(std::uint64_t(position) + count - 1));
    Bytes bytes(count);
    if (count > 0 && !readFileAt(file, position, bytes.data(), count))
        return Result<Bytes>::failure("cannot read " + name + ": " + fileErrorReason(errno));
    return bytes;
}

Status RomImage::write(std::uint32_t position, std::span<const std::uint8_t> bytes) const
{
    auto opened = openChecked(m_path, m_check, true);
    if (!opened)
        return Status::failure(opened.error());
    const std::string name = m_path.string();
    std::FILE* file = opened->file.get();
    const std::uint64_t size = opened->size;
    // never grow the file: a record that does not fit is not written at all
    if (std::uint64_t(position) + bytes.size() > size)
        return Status::failure("cannot write " + name + ": the file ends at " + hex(size) + ", before the bytes "
                               + hex(position) + ".." + hex(std::uint64_t(position) + bytes.size() - 1));
    if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0
        || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0)
        return Status::failure("cannot write " + name + ": " + fileErrorReason(errno));
    std::FILE* raw = opened.value().file.release();
    if (std::fclose(raw) != 0)
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
