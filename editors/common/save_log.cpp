#include "editors/common/save_log.h"

namespace {

// the name an undo or a redo of the windows is kept under in the journal
const std::string kWindowsSource = "Edit menu";

}  // namespace

void SaveLog::open(const std::filesystem::path& image)
{
    m_history.open(image);
    emit changed();
}

void SaveLog::reload()
{
    const std::size_t count = history().entries().size();
    const std::size_t applied = history().applied();
    m_history.reload();
    if (history().entries().size() != count || history().applied() != applied)
        emit changed();
}

void SaveLog::record(SaveEntry entry, bool merge)
{
    const std::vector<SavedRecord> records = entry.records;
    m_history.keep(std::move(entry), merge);
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
    m_history.close();
    emit changed();
}

CheckedWrite SaveLog::save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge)
{
    CheckedWrite written = m_history.save(image, writes, std::move(about), merge);
    if (!written)
        return written;
    for (const ExpectedWrite& w : writes)
        emit this->written(w.table, w.index, w.record);
    emit changed();
    return written;
}

Result<const SaveEntry*> SaveLog::undo(const RomImage& image) { return move(image, true); }

Result<const SaveEntry*> SaveLog::redo(const RomImage& image) { return move(image, false); }

Result<const SaveEntry*> SaveLog::move(const RomImage& image, bool undo)
{
    auto moved = undo ? m_history.undo(image, kWindowsSource) : m_history.redo(image, kWindowsSource);
    if (moved) {
        for (const SavedRecord& record : (*moved)->records)
            emit written(record.table, record.index, undo ? record.before : record.after);
        for (const SavedRecord& record : (*moved)->records)
            emit restored(record.table, record.index, undo);
    }
    // a refused step may still have read the journal again: the menu follows it
    emit changed();
    return moved;
}
