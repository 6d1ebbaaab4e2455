#pragma once

#include "rom/history/image_history.h"
#include "rom/image_jobs.h"

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
    // That another program changed the image since the last save kept (a remark for the status line).
    const std::string& outsideNote() const { return m_history.outsideNote(); }
    // Whether the image still holds what save `i` left (see ImageHistory::held).
    bool held(std::size_t i) const { return m_history.held(i); }

    // The history of `image`, read back from its journal.
    void open(const std::filesystem::path& image);
    // Reads the journal again (the tool may have saved meanwhile).
    void reload();
    // Forgets every save.
    void clear();

    // Writes the records, checked, and keeps them as one save (see ImageHistory::save).
    CheckedWrite save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge = false);
    // A save of several entries made outside the editors (the table grid, the
    // compare window): as save() does, and then every window that shows one of
    // its records reads it again.
    CheckedWrite saveBatch(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about);

    // The internal checksum of `image` fixed as a step of its history, kept
    // under `source` (the window that fixed it), so that Undo Save takes it back.
    Result<ChecksumFixed> fixChecksum(const std::filesystem::path& image, const std::string& source);

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
    // (saveBatch): a window showing it reads it again.
    void rewritten(const Table* table, int index);

private:
    Result<const SaveEntry*> move(const RomImage& image, bool undo);

    ImageHistory m_history;
};
