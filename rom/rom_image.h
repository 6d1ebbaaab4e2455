#pragma once

#include "rom/result.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The ROM image file, edited in place. Every call opens the existing file,
// transfers exactly the bytes asked for and closes it again: nothing is held
// or cached between calls, and a missing file is never created.
class RomImage {
public:
    explicit RomImage(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    Result<Bytes> read(std::uint32_t position, std::size_t count) const;

    struct Range {
        std::uint32_t position;
        std::size_t count;
    };
    // Reads several ranges within one opening of the file, each as read()
    // would: one result per range, in order.
    std::vector<Result<Bytes>> readEach(std::span<const Range> ranges) const;
    // Writes all bytes in one call, or nothing when the file cannot take them.
    Status write(std::uint32_t position, std::span<const std::uint8_t> bytes) const;

private:
    Result<Bytes> readOpen(std::FILE* file, std::uint64_t size, std::uint32_t position, std::size_t count) const;

    std::filesystem::path m_path;
};

// Little-endian words inside a record buffer.
std::uint16_t wordAt(std::span<const std::uint8_t> record, std::size_t offset);
void putWord(std::span<std::uint8_t> record, std::size_t offset, std::uint16_t value);
