#include "rom/record_io.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

Result<std::uint32_t> checkedPosition(const Table& table, int index, std::size_t size)
{
    auto position = recordPosition(table, index);
    if (!position)
        return position;
    if (size != table.recordSize)
        return Result<std::uint32_t>::failure("internal error: a " + std::to_string(table.recordSize) + "-byte "
                                              + std::string(table.name) + " record has " + std::to_string(size) + " bytes");
    return position;
}

}  // namespace

Result<Bytes> readRecord(const RomImage& image, const Table& table, int index)
{
    auto position = recordPosition(table, index);
    if (!position)
        return Result<Bytes>::failure(position.error());
    return image.read(*position, table.recordSize);
}

Status writeRecord(const RomImage& image, const Table& table, int index, std::span<const std::uint8_t> record)
{
    auto position = checkedPosition(table, index, record.size());
    if (!position)
        return Status::failure(position.error());
    return image.write(*position, record);
}

WrittenRecords writeRecords(const RomImage& image, std::span<const RecordWrite> records)
{
    WrittenRecords done;
    struct Placed {
        std::uint32_t position;
        const RecordWrite* write;
    };
    std::vector<Placed> placed;
    placed.reserve(records.size());
    for (const RecordWrite& write : records) {
        auto position = checkedPosition(*write.table, write.index, write.record.size());
        if (!position) {
            done.status = Status::failure(position.error());
            return done;
        }
        placed.push_back({*position, &write});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.position > b.position; });
    for (const Placed& p : placed) {
        done.status = image.write(p.position, p.write->record);
        if (!done.status)
            return done;
        ++done.count;
    }
    return done;
}
