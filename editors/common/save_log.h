#pragma once

#include "rom/history/image_history.h"

#include <QObject>

#include <filesystem>

// The save history of the image being edited, as the windows share it: every
// editor saves through it (the image's journal first, then the records), Edit
// > Undo Save and Redo Save go through it, and every window that shows a
// record just restored hears of it and reads that record again, so that no
// window keeps stale values that a later Save would write back. Loading an
// image reads its history back from its journal, saves of the tool included.
class SaveLog : public QObject {
    Q_OBJECT
public:
    const SaveHistory& history() const { return m_history.history(); }
    // What the last reading of the journal dropped or set aside.
    const std::vector<std::string>& notes() const { return m_history.notes(); }

    // The history of `image`, read back from its journal.
    void open(const std::filesystem::path& image);
    // Reads the journal again (the tool may have saved meanwhile).
    void reload();
    // Records a successful write (see SaveHistory::record).
    void record(SaveEntry entry, bool merge = false);
    // Records a save of several entries made outside the editors (the table
    // grid): as record() does, and then every window that shows one of its
    // records reads it again.
    void recordBatch(SaveEntry entry);
    // Forgets every save: another image was loaded.
    void clear();

    // Writes the records, checked, and keeps them as one save (see ImageHistory::save).
    CheckedWrite save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge = false);

    // Undo or redo on `image`; on success every window showing the record is told.
    Result<const SaveEntry*> undo(const RomImage& image);
    Result<const SaveEntry*> redo(const RomImage& image);

signals:
    // The history gained, lost or moved an entry.
    void changed();
    // The record of entry `index` of `table` was written back by an undo (or a redo).
    void restored(const Table* table, int index, bool undone);
    // The record of entry `index` of `table` now holds `bytes` in the image:
    // a save, an undo or a redo wrote them. Lists that show what the image
    // holds (the enemy names read from it) follow every such write.
    void written(const Table* table, int index, const Bytes& bytes);
    // The record of entry `index` of `table` was written by a batch save
    // (recordBatch): a window showing it reads it again.
    void rewritten(const Table* table, int index);

private:
    Result<const SaveEntry*> move(const RomImage& image, bool undo);

    ImageHistory m_history;
};
