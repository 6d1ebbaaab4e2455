#include "rom/history/checked_write.h"

#include <algorithm>

namespace {

CheckedWrite failed(CheckedWrite::Outcome outcome, std::string message, Bytes found = {}, std::size_t which = 0)
{
    return {outcome, std::move(message), std::move(found), which};
}

// A write that failed may have stopped part-way (a file size limit, a full
// disk, an I/O error): say what the record holds now, and put the expected
// bytes back where some of the new ones went in.
std::string afterFailedWrite(const RomImage& image, const Table& table, int index, std::uint32_t position,
                             std::span<const std::uint8_t> expected, const std::string& reason)
{
    const std::string entry = entryName(table, index);
    const auto sameAs = [&](const Result<Bytes>& bytes) {
        return bytes && std::equal(bytes->begin(), bytes->end(), expected.begin(), expected.end());
    };
    if (sameAs(image.read(position, table.recordSize)))
        return reason + "; " + entry + " is as it was";
    (void)image.write(position, expected);  // judged by what the file holds afterwards, not by its status
    if (sameAs(image.read(position, table.recordSize)))
        return reason + "; the write stopped part-way, and " + entry + " was put back as it was";
    return reason + "; the write stopped part-way, and " + entry
           + " could not be put back: it may hold part of the new values";
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
        return failed(Failed, afterFailedWrite(image, table, index, *position, expected, written.error()));
    return {Written, {}, {}, 0};
}

CheckedWrite writeCheckedAll(const RomImage& image, std::span<const ExpectedWrite> writes)
{
    using enum CheckedWrite::Outcome;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ExpectedWrite& w = writes[i];
        const auto position = recordPosition(*w.table, w.index);
        if (!position)
            return failed(Failed, position.error(), {}, i);
        const auto onDisk = image.read(*position, w.table->recordSize);
        if (!onDisk)
            return failed(Failed, onDisk.error(), {}, i);
        if (*onDisk != w.expected)
            return failed(ChangedOnDisk,
                          entryName(*w.table, w.index) + " was changed in " + image.path().string()
                              + " since it was read here: nothing was saved",
                          *onDisk, i);
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const ExpectedWrite& w = writes[i];
        CheckedWrite written = writeChecked(image, *w.table, w.index, w.expected, w.record);
        if (written)
            continue;
        for (std::size_t j = i; j-- > 0;) {
            const ExpectedWrite& done = writes[j];
            written.message += writeChecked(image, *done.table, done.index, done.record, done.expected)
                                   ? "; " + entryName(*done.table, done.index) + ", written before, was put back"
                                   : "; " + entryName(*done.table, done.index) + ", written before, could not be put back";
        }
        written.which = i;
        return written;
    }
    return {Written, {}, {}, 0};
}
