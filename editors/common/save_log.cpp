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
        emit restored((*undone)->table, (*undone)->index, true);
        emit changed();
    }
    return undone;
}

Result<const SaveEntry*> SaveLog::redo(const RomImage& image)
{
    auto redone = m_history.redo(image);
    if (redone) {
        emit restored((*redone)->table, (*redone)->index, false);
        emit changed();
    }
    return redone;
}
