#pragma once

#include "rom/history/save_history.h"

#include <QObject>

// The save history of the image being edited, as the windows share it: every
// editor records its writes here, Edit > Undo Save and Redo Save go through
// it, and every window that shows a record just restored hears of it and
// reads that record again, so that no window keeps stale values that a later
// Save would write back.
class SaveLog : public QObject {
    Q_OBJECT
public:
    const SaveHistory& history() const { return m_history; }

    // Records a successful write (see SaveHistory::record).
    void record(SaveEntry entry, bool merge = false);
    // Records a save of several entries made outside the editors (the table
    // grid): as record() does, and then every window that shows one of its
    // records reads it again.
    void recordBatch(SaveEntry entry);
    // Forgets every save: another image was loaded.
    void clear();

    // Undo or redo on `image`; on success every window showing the record is told.
    Result<const SaveEntry*> undo(const RomImage& image);
    Result<const SaveEntry*> redo(const RomImage& image);

    // The whole image was written back (a restore point): every record of a
    // declared table that differs between `before` and `after` is told as
    // written and restored, so that windows showing it read it again.
    void imageReplaced(const Bytes& before, const Bytes& after);

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
    SaveHistory m_history;
};
