#include "editors/common/save_log.h"

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
