#include "editors/common/save_log.h"

#include "rom/tables.h"

#include <algorithm>

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

CheckedWrite SaveLog::saveBatch(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about)
{
    CheckedWrite written = save(image, writes, std::move(about));
    if (written)
        for (const ExpectedWrite& w : writes)
            if (w.expected != w.record)
                emit rewritten(w.table, w.index);
    return written;
}

Result<ChecksumFixed> SaveLog::fixChecksum(const std::filesystem::path& image, const std::string& source)
{
    auto fixed = fixChecksumInHistory(image, m_history, source);
    emit changed();
    return fixed;
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

void SaveLog::imageReplaced(const Bytes& before, const Bytes& after)
{
    std::vector<std::pair<const Table*, int>> touched;
    for (const Table* table : tables::all()) {
        for (int i = 0; i < table->count; ++i) {
            const auto position = recordPosition(*table, i);
            if (!position)
                continue;
            const std::size_t at = *position;
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
