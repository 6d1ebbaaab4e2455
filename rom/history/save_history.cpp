#include "rom/history/save_history.h"

#include "rom/history/checked_write.h"

#include <algorithm>

namespace {

enum class Direction { Undo, Redo };

const Bytes& from(const SavedRecord& r, Direction d) { return d == Direction::Undo ? r.after : r.before; }
const Bytes& to(const SavedRecord& r, Direction d) { return d == Direction::Undo ? r.before : r.after; }

// Moves every record of a save from one side to the other, or none.
Status moveRecords(const RomImage& image, const SaveEntry& entry, Direction d, const BeforeWrite& beforeWrite)
{
    std::vector<ExpectedWrite> writes;
    for (const SavedRecord& r : entry.records)
        writes.push_back({r.table, r.index, from(r, d), to(r, d)});
    const CheckedWrite moved = writeCheckedAll(image, writes, beforeWrite);
    if (moved)
        return success();
    const bool undo = d == Direction::Undo;
    if (moved.changedOnDisk())
        return Status::failure(std::string(undo ? "Undo" : "Redo") + " refused: " + describeRecord(entry, entry.records[moved.which])
                               + " has been changed since " + (undo ? "that save" : "that save was undone") + ", and "
                               + (undo ? "undoing" : "redoing") + " it would overwrite that change. Nothing was written.");
    return Status::failure(std::string(undo ? "Undo" : "Redo") + " failed: " + moved.message);
}

}  // namespace

void SaveHistory::record(SaveEntry entry, bool merge)
{
    std::erase_if(entry.records, [](const SavedRecord& r) { return !r.table || r.before == r.after; });
    // a save after an undo starts a new line of history: the undone saves can no longer be redone
    m_entries.resize(m_applied);
    if (merge && !m_entries.empty() && entry.records.size() <= 1) {
        SaveEntry& last = m_entries.back();
        const SavedRecord* next = entry.records.empty() ? nullptr : &entry.records.front();
        if (next && last.records.size() == 1 && last.source == entry.source && last.records[0].table == next->table
            && last.records[0].index == next->index && last.records[0].after == next->before) {
            last.records[0].after = next->after;
            last.time = entry.time;
            if (last.records[0].after == last.records[0].before) {
                m_entries.pop_back();
                m_applied = m_entries.size();
            }
            return;
        }
    }
    if (entry.records.empty())
        return;
    m_entries.push_back(std::move(entry));
    m_applied = m_entries.size();
}

void SaveHistory::clear()
{
    m_entries.clear();
    m_applied = 0;
}

Result<const SaveEntry*> SaveHistory::undo(const RomImage& image, const BeforeWrite& beforeWrite)
{
    if (!canUndo())
        return Result<const SaveEntry*>::failure("There is no save to undo.");
    const SaveEntry& entry = m_entries[m_applied - 1];
    if (const Status moved = moveRecords(image, entry, Direction::Undo, beforeWrite); !moved)
        return Result<const SaveEntry*>::failure(moved.error());
    --m_applied;
    return &entry;
}

Result<const SaveEntry*> SaveHistory::redo(const RomImage& image, const BeforeWrite& beforeWrite)
{
    if (!canRedo())
        return Result<const SaveEntry*>::failure("There is no undone save to redo.");
    const SaveEntry& entry = m_entries[m_applied];
    if (const Status moved = moveRecords(image, entry, Direction::Redo, beforeWrite); !moved)
        return Result<const SaveEntry*>::failure(moved.error());
    ++m_applied;
    return &entry;
}

bool SaveHistory::replayUndo()
{
    if (!canUndo())
        return false;
    --m_applied;
    return true;
}

bool SaveHistory::replayRedo()
{
    if (!canRedo())
        return false;
    ++m_applied;
    return true;
}

std::string describeRecord(const SaveEntry& entry, const SavedRecord& record)
{
    const std::string name = entryName(*record.table, record.index);
    return entry.entryLabel.empty() ? name : entry.entryLabel + " (" + name + ")";
}
