#include "rom/history/save_history.h"

#include "rom/history/checked_write.h"

void SaveHistory::record(SaveEntry entry, bool merge)
{
    if (!entry.table)
        return;
    // a save after an undo starts a new line of history: the undone saves can no longer be redone
    m_entries.resize(m_applied);
    if (merge && !m_entries.empty()) {
        SaveEntry& last = m_entries.back();
        if (last.table == entry.table && last.index == entry.index && last.source == entry.source
            && last.after == entry.before) {
            last.after = std::move(entry.after);
            last.time = entry.time;
            if (last.after == last.before) {
                m_entries.pop_back();
                --m_applied;
            }
            return;
        }
    }
    if (entry.before == entry.after)
        return;
    m_entries.push_back(std::move(entry));
    m_applied = m_entries.size();
}

void SaveHistory::clear()
{
    m_entries.clear();
    m_applied = 0;
}

Result<const SaveEntry*> SaveHistory::undo(const RomImage& image)
{
    if (!canUndo())
        return Result<const SaveEntry*>::failure("There is no save to undo.");
    const SaveEntry& entry = m_entries[m_applied - 1];
    const CheckedWrite written = writeChecked(image, *entry.table, entry.index, entry.after, entry.before);
    if (written.changedOnDisk())
        return Result<const SaveEntry*>::failure("Undo refused: " + describeEntry(entry)
                                                 + " has been changed since that save, and undoing it would overwrite "
                                                   "that change. Nothing was written.");
    if (!written)
        return Result<const SaveEntry*>::failure("Undo failed: " + written.message);
    --m_applied;
    return &entry;
}

Result<const SaveEntry*> SaveHistory::redo(const RomImage& image)
{
    if (!canRedo())
        return Result<const SaveEntry*>::failure("There is no undone save to redo.");
    const SaveEntry& entry = m_entries[m_applied];
    const CheckedWrite written = writeChecked(image, *entry.table, entry.index, entry.before, entry.after);
    if (written.changedOnDisk())
        return Result<const SaveEntry*>::failure("Redo refused: " + describeEntry(entry)
                                                 + " has been changed since that save was undone, and redoing it would "
                                                   "overwrite that change. Nothing was written.");
    if (!written)
        return Result<const SaveEntry*>::failure("Redo failed: " + written.message);
    ++m_applied;
    return &entry;
}

std::string describeEntry(const SaveEntry& entry)
{
    const std::string name = entryName(*entry.table, entry.index);
    return entry.entryLabel.empty() ? name : entry.entryLabel + " (" + name + ")";
}
