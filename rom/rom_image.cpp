#include "rom/rom_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string hex(std::uint64_t value)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(value));
    return buf;
}

std::string reasonFromErrno(int err)
{
    if (err == ENOENT)
        return "no such file";
    if (err == EACCES || err == EPERM || err == EROFS)
        return "permission denied (is the file read-only?)";
    return std::strerror(err);
}

// Opens an existing regular file; "r+b" and "rb" never create one.
Result<FileHandle> openExisting(const std::filesystem::path& path, bool forWriting, const char* verb)
{
    const std::string name = path.string();
    if (name.empty())
        return Result<FileHandle>::failure("no ROM image is loaded");
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return Result<FileHandle>::failure(std::string("cannot ") + verb + " " + name + ": no such file");
    if (std::filesystem::is_directory(status))
        return Result<FileHandle>::failure(std::string("cannot ") + verb + " " + name + ": it is a folder, not a file");
    errno = 0;
    std::FILE* f = std::fopen(name.c_str(), forWriting ? "r+b" : "rb");
    if (!f)
        return Result<FileHandle>::failure(std::string("cannot ") + verb + " " + name + ": " + reasonFromErrno(errno));
    return FileHandle(f);
}

Result<std::uint64_t> fileSize(std::FILE* f)
{
    if (std::fseek(f, 0, SEEK_END) != 0)
        return Result<std::uint64_t>::failure("cannot seek");
    const long size = std::ftell(f);
    if (size < 0)
        return Result<std::uint64_t>::failure("cannot tell its size");
    return static_cast<std::uint64_t>(size);
}

}  // namespace

RomImage::RomImage(std::filesystem::path path) : m_path(std::move(path)) {}

Result<Bytes> RomImage::read(std::uint32_t position, std::size_t count) const
{
    const Range range{position, count};
    return std::move(readEach({&range, 1}).front());
}

std::vector<Result<Bytes>> RomImage::readEach(std::span<const Range> ranges) const
{
    std::vector<Result<Bytes>> results;
    results.reserve(ranges.size());
    auto file = openExisting(m_path, false, "read");
    auto size = file ? fileSize(file->get()) : Result<std::uint64_t>::failure(file.error());
    for (const Range& range : ranges) {
        if (!file)
            results.push_back(Result<Bytes>::failure(file.error()));
        else if (!size)
            results.push_back(Result<Bytes>::failure("cannot read " + m_path.string() + ": " + size.error()));
        else
            results.push_back(readOpen(file->get(), *size, range.position, range.count));
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
    if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0 || std::fread(bytes.data(), 1, count, file) != count)
        return Result<Bytes>::failure("cannot read " + name + ": " + reasonFromErrno(errno));
    return bytes;
}

Status RomImage::write(std::uint32_t position, std::span<const std::uint8_t> bytes) const
{
    auto file = openExisting(m_path, true, "write");
    if (!file)
        return Status::failure(file.error());
    const std::string name = m_path.string();
    auto size = fileSize(file->get());
    if (!size)
        return Status::failure("cannot write " + name + ": " + size.error());
    // never grow the file: a record that does not fit is not written at all
    if (std::uint64_t(position) + bytes.size() > *size)
        return Status::failure("cannot write " + name + ": the file ends at " + hex(*size) + ", before the bytes "
                               + hex(position) + ".." + hex(std::uint64_t(position) + bytes.size() - 1));
    if (std::fseek(file->get(), static_cast<long>(position), SEEK_SET) != 0
        || std::fwrite(bytes.data(), 1, bytes.size(), file->get()) != bytes.size() || std::fflush(file->get()) != 0)
        return Status::failure("cannot write " + name + ": " + reasonFromErrno(errno));
    std::FILE* raw = file.value().release();
    if (std::fclose(raw) != 0)
        return Status::failure("cannot write " + name + ": " + reasonFromErrno(errno));
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
