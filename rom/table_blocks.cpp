#include "rom/table_blocks.h"

#include <algorithm>
#include <filesystem>
#include <string>

Result<TableBlocks> TableBlocks::read(const RomImage& image, std::span<const Table* const> tables)
{
    TableBlocks blocks;
    for (const Table* table : tables) {
        if (blocks.holds(*table))
            continue;
        std::size_t count = table->count;
        std::error_code ec;
        const std::uint64_t size = std::filesystem::file_size(image.path(), ec);
        if (!ec && size < table->base + std::uint64_t(count) * table->recordSize)
            count = size > table->base ? static_cast<std::size_t>((size - table->base) / table->recordSize) : 0;
        auto bytes = image.read(table->base, count * table->recordSize);
        if (!bytes)
            return Result<TableBlocks>::failure(bytes.error());
        blocks.m_blocks.emplace_back(table, std::move(bytes.value()));
    }
    return blocks;
}

bool TableBlocks::holds(const Table& table) const
{
    return std::any_of(m_blocks.begin(), m_blocks.end(), [&](const auto& block) { return block.first == &table; });
}

std::span<const std::uint8_t> TableBlocks::record(const Table& table, int index) const
{
    const auto position = recordPosition(table, index);
    if (!position)
        return {};
    const std::size_t at = *position - table.base;  // a block starts at the table's entry 0
    for (const auto& [t, bytes] : m_blocks)
        if (t == &table && at + table.recordSize <= bytes.size())
            return std::span(bytes).subspan(at, table.recordSize);
    return {};
}

bool TableBlocks::whole(const Table& table) const
{
    for (const auto& [t, bytes] : m_blocks)
        if (t == &table)
            return bytes.size() == std::size_t(table.count) * table.recordSize;
    return false;
}

RecordReader TableBlocks::reader() const
{
    return [this](const Table& table, int index) -> Result<Bytes> {
        if (!holds(table))
            return Result<Bytes>::failure("the " + std::string(table.name) + " table was not read");
        const auto r = record(table, index);
        if (r.empty())
            return Result<Bytes>::failure("the file ends before this entry of the " + std::string(table.name) + " table");
        return Bytes(r.begin(), r.end());
    };
}
