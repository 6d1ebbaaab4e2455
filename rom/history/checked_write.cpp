#include "rom/history/checked_write.h"

#include <algorithm>

namespace {

CheckedWrite failed(CheckedWrite::Outcome outcome, std::string message, Bytes found = {})
{
    return {outcome, std::move(message), std::move(found)};
}

}  // namespace

std::string entryName(const Table& table, int index)
{
    return "entry " + std::to_string(index) + " of the " + std::string(table.name) + " table";
}

CheckedWrite writeChecked(const RomImage& image, const Table& table, int index, std::span<const std::uint8_t> expected,
                          std::span<const std::uint8_t> record)
{
    using enum CheckedWrite::Outcome;
    const auto position = recordPosition(table, index);
    if (!position)
        return failed(Failed, position.error());
    if (expected.size() != table.recordSize || record.size() != table.recordSize)
        return failed(Failed, "internal error: a record of the " + std::string(table.name) + " table has "
                                  + std::to_string(table.recordSize) + " bytes, not " + std::to_string(record.size()));
    // read and compare through the same checks as every other access, so a
    // file that is gone, short or not a file is reported, never created
    auto onDisk = image.read(*position, table.recordSize);
    if (!onDisk)
        return failed(Failed, onDisk.error());
    if (!std::equal(onDisk->begin(), onDisk->end(), expected.begin(), expected.end()))
        return failed(ChangedOnDisk,
                      entryName(table, index) + " was changed in " + image.path().string()
                          + " since it was read here: nothing was saved",
                      *onDisk);
    const Status written = image.write(*position, record);
    if (!written)
        return failed(Failed, written.error());
    return {Written, {}, {}};
}
