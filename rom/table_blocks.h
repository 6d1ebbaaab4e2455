#pragma once

#include "rom/record_io.h"

#include <functional>
#include <span>
#include <utility>
#include <vector>

// The bytes of an image's record, as a source for the tools' checks.
using RecordReader = std::function<Result<Bytes>(const Table& table, int index)>;

// Whole tables of an image, each read in one piece. The tables hold some
// 18 KiB of a 4 MiB image: tools that go through every entry (dump, import)
// read just those, each read with the identity check of every read. Of a
// table that the file ends inside, the entries it holds whole are read.
class TableBlocks {
public:
    static Result<TableBlocks> read(const RomImage& image, std::span<const Table* const> tables);

    // A record of a table that was read: empty for an entry past the end of the file.
    std::span<const std::uint8_t> record(const Table& table, int index) const;
    bool holds(const Table& table) const;
    // Whether every entry of the table was in the file.
    bool whole(const Table& table) const;
    // Records of the tables read; any other is refused.
    RecordReader reader() const;

private:
    std::vector<std::pair<const Table*, Bytes>> m_blocks;
};
