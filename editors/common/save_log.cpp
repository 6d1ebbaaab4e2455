#include "editors/common/save_log.h"

#include "rom/tables.h"

#include <algorithm>

void SaveLog::record(SaveEntry entry, bool merge)
{
    const std::vector<SavedRecord> records = entry.records;
    m_history.record(std::move(entry), merge);
    for (const SavedRecord& record : records)
        emit written(record.table, record.index, record.after);
    emit changed();
}

void SaveLog::recordBatch(SaveEntry entry)
{
    const std::vector<SavedRecord> records = entry.records;
    record(std::move(entry));
    for (const SavedRecord& saved : records)
        if (saved.before != saved.after)
            emit rewritten(saved.table, saved.index);
}

void SaveLog::clear()
{
    m_history.clear();
    emit changed();
}

Result<const SaveEntry*> SaveLog::undo(const RomImage& image)
{
    auto undone = m_history.undo(image);
    if (undone) {
        for (const SavedRecord& record : (*undone)->records)
            emit written(record.table, record.index, record.before);
        for (const SavedRecord& record : (*undone)->records)
            emit restored(record.table, record.index, true);
        emit changed();
    }
    return undone;
}

Result<const SaveEntry*> SaveLog::redo(const RomImage& image)
{
    auto redone = m_history.redo(image);
    if (redone) {
        for (const SavedRecord& record : (*redone)->records)
            emit written(record.table, record.index, record.after);
        for (const SavedRecord& record : (*redone)->records)
            emit restored(record.table, record.index, false);
        emit changed();
    }
    return redone;
}

void SaveLog::imageReplaced(const Bytes& before, const Bytes& after)
{
    std::vector<std::pair<const Table*, int>> touched;
    for (const Table* table : tables::all()) {
        for (int i = 0; i < table->count; ++i) {
            const std::size_t at = table->base + std::size_t(i) * table->recordSize;
            const std::size_t end = at + table->recordSize;
            const bool inBefore = end <= before.size(), inAfter = end <= after.size();
            if (inBefore && inAfter && std::equal(before.begin() + at, before.begin() + end, after.begin() + at))
                continue;
            if (inAfter) {
                emit written(table, i, Bytes(after.begin() + at, after.begin() + end));
                touched.emplace_back(table, i);
            }
        }
    }
    for (const auto& [table, index] : touched)
        emit restored(table, index, false);
    emit changed();
}
