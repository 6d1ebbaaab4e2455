#pragma once

#include "rom/history/image_history.h"
#include "rom/image_jobs.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <vector>

class EditorWindow;

// One record of the image being edited changed: every view hears of every
// write through this one event and decides what to read again.
struct RecordChangeEvent {
    const Table* table = nullptr;
    int index = -1;
    Bytes bytes;     // what the record holds now
    QString writer;  // who wrote it, as a status line names it: "Grid Save", "Undo Save", "Restore", "Weapon"
    QString source;  // the object name of the window that saved it; empty for an undo, a redo, a restore
    // the user agreed, when asked, that windows' unsaved edits of the record
    // give way; otherwise a window with unsaved edits keeps them
    bool dropsEdits = false;
};

// The save history of the image being edited, as the windows share it: every
// editor saves through it (the image's journal first, then the records), Edit
// > Undo Save and Redo Save go through it, and every record a save, an undo,
// a redo or a restore changed is told to every window (recordChanged), so
// that no window keeps stale values that a later Save would write back.
// Loading an image reads its history back from its journal, saves of the
// tool included.
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

    // Writes the records, checked, and keeps them as one save (see
    // ImageHistory::save): a window's own save, told under its object name (about.source).
    CheckedWrite save(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about, bool merge = false);
    // A save of several entries made outside the editors (the table grid, the
    // compare window), told as written by `writer`; with `dropsEdits` the
    // windows showing a written record read it again even over unsaved edits.
    CheckedWrite saveBatch(const RomImage& image, std::span<const ExpectedWrite> writes, SaveEntry about,
                           const QString& writer, bool dropsEdits = false);

    // The internal checksum of `image` fixed as a step of its history, kept
    // under `source` (the window that fixed it), so that Undo Save takes it back.
    Result<ChecksumFixed> fixChecksum(const std::filesystem::path& image, const std::string& source);

    // Undo or redo on `image`; on success every window showing the record is told.
    Result<const SaveEntry*> undo(const RomImage& image);
    Result<const SaveEntry*> redo(const RomImage& image);

    // The whole image was written back (a restore point): every record of a
    // declared table that differs between `before` and `after` is told as
    // changed by the restore.
    void imageReplaced(const Bytes& before, const Bytes& after);

    // The editor windows that hold unsaved edits of a record `writes` would
    // change, each as "Weapon (Sword 4)". Editor windows enter themselves.
    QStringList unsavedEditsOf(std::span<const ExpectedWrite> writes) const;
    void watchEdits(EditorWindow* window);

signals:
    // The history gained, lost or moved an entry.
    void changed();
    // A record of the image being edited holds other bytes now.
    void recordChanged(const RecordChangeEvent& change);

private:
    Result<const SaveEntry*> move(const RomImage& image, bool undo);
    void tell(std::span<const ExpectedWrite> writes, const QString& writer, const QString& source, bool dropsEdits);

    ImageHistory m_history;
    // closed windows leave a null pointer behind
    std::vector<QPointer<EditorWindow>> m_editors;
};
