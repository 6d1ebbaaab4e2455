#pragma once

#include "rom/history/checked_write.h"
#include "rom/result.h"
#include "rom/rom_image.h"
#include "rom/tables.h"

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

// One record written by a save: where, what was there before, what the write left.
struct SavedRecord {
    const Table* table = nullptr;
    int index = 0;
    Bytes before;
    Bytes after;
};

// One save: the record (or the few records written together by one Save,
// such as an accessory's effect and equip records) with who made it and when.
struct SaveEntry {
    std::vector<SavedRecord> records;
    std::string entryLabel;  // the entry as its writer listed it ("{Sword} Sword 4"); may be empty
    std::string source;      // the window or command that wrote it
    std::chrono::system_clock::time_point time;
};

// The saves made to one image, with an undo/redo cursor. Undo and redo write
// only over bytes that are still exactly what the save (or the undo) left: a
// record changed since by anyone else is refused, and nothing is written.
// The owner clears it when another image is loaded; what outlives the program
// is the image's journal (rom/history/journal.h), from which it is rebuilt.
class SaveHistory {
public:
    // Keeps a save, without the records it left unchanged; a save that changed
    // nothing is no step to undo. A new save drops the saves undone before it.
    // With `merge`, a save of the same single record from the same source
    // right after the latest save joins that save (a name is written at every
    // key typed); a joined save that ends where it began is dropped.
    void record(SaveEntry entry, bool merge = false);
    void clear();

    // Oldest first. The first applied() entries are in effect, the rest undone.
    std::span<const SaveEntry> entries() const { return m_entries; }
    std::size_t applied() const { return m_applied; }
    bool canUndo() const { return m_applied > 0; }
    bool canRedo() const { return m_applied < m_entries.size(); }
    const SaveEntry* nextUndo() const { return canUndo() ? &m_entries[m_applied - 1] : nullptr; }
    const SaveEntry* nextRedo() const { return canRedo() ? &m_entries[m_applied] : nullptr; }

    // Writes back the before-bytes of the latest save in effect; returns it.
    // `beforeWrite` runs once the records passed their check (see writeCheckedAll).
    Result<const SaveEntry*> undo(const RomImage& image, const BeforeWrite& beforeWrite = {});
    // Writes again the after-bytes of the latest save undone; returns it.
    Result<const SaveEntry*> redo(const RomImage& image, const BeforeWrite& beforeWrite = {});

    // An undo or redo made earlier and read back from the journal: the
    // cursor moves as it moved then; nothing is written. False when there
    // was nothing to move over.
    bool replayUndo();
    bool replayRedo();

private:
    std::vector<SaveEntry> m_entries;
    std::size_t m_applied = 0;
};

// "{Sword} Sword 4 (entry 4 of the weapons table)", or the entry name alone.
std::string describeRecord(const SaveEntry& entry, const SavedRecord& record);
