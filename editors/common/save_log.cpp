#include "editors/common/save_log.h"

void SaveLog::record(SaveEntry entry, bool merge)
{
    m_history.record(std::move(entry), merge);
    emit changed();
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
            emit restored(record.table, record.index, false);
        emit changed();
    }
    return redone;
}
