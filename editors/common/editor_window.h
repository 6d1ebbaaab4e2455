#pragma once

#include "rom/history/checked_write.h"
#include "rom/rom_image.h"
#include "rom/tables.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class EditorHost;
struct RecordChangeEvent;
class QLabel;
class QListWidget;

// Twips as the window layouts give them: 15 twips to a pixel at 96 dpi.
constexpr int twips(int t) { return (t + 7) / 15; }
QRect twipsRect(int left, int top, int width, int height);

inline const QColor kStatusGrey{0xC0, 0xC0, 0xC0};

// The selected row of a list, or -1 when no entry is selected. The focus
// cursor alone is no selection: a list that merely receives the focus must
// not read (or open) anything.
int selectedRow(const QListWidget* list);

// What every editor window shares: its host, the status line and the one road
// by which a window reads and writes a record. A window is destroyed when it
// is closed.
class EditorWindow : public QWidget {
    Q_OBJECT
public:
    EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int clientWidthTwips,
                 int clientHeightTwips);

    // Ctrl+S: presses the Save button the window shows (the enemy window: the
    // visible page's). Ctrl+W and Escape close the window.
    void pressShownSave();

    // Whether the user has typed, picked or ticked anything in the window's
    // controls since it last read or saved an entry: edits that no Save has
    // written yet.
    bool hasUserEdits() const { return m_userEdits; }
    // Watches the window's controls for such edits; called once the window
    // has made them. The list filter and the view options are no edits, and
    // the enemy name is written at every key.
    void watchUserEdits();
    // "Weapon (Sword 4)" when the window shows entry `index` of `table` and
    // holds unsaved edits of it; empty otherwise.
    QString unsavedEditsOf(const Table& table, int index) const;

protected:
    EditorHost& host() { return m_host; }
    RomImage image() const;

    // The status line `bar` across the top, reading "Label1" until first set.
    QLabel* makeStatusLine(int widthTwips, const QColor& background = kStatusGrey);
    QListWidget* makeList(const QString& objectName, const QRect& geometry, const QStringList& entries);

    // Reads entry `index` of `table`; on failure the user is told why and
    // nothing is returned.
    std::optional<Bytes> readEntry(const Table& table, int index);
    // Notes that the window's values of entry `index` of `table` were just
    // read from the image loaded now (readEntry does so itself). A later Save
    // of values read from another image than the one loaded then is refused.
    void noteRead(const Table& table, int index);
    enum class SaveOutcome {
        Saved,
        Refused,    // nothing written; the user was told why and the status line says "Not saved: ..."
        ReadAgain,  // nothing written: the entry was changed in the image, and the user chose to read it again
    };
    // Writes the records of one save, each only over the bytes this window
    // expects on disk (what it read or saved last), all or none, and keeps the
    // save in the history as `entryLabel` (the entry's list text). When the
    // image holds other bytes than expected (another window or program changed
    // the entry since), nothing is written and the user is asked whether to
    // read the entry again. The same is asked, and nothing written to either
    // file, when the values were read from another image than the one loaded
    // now. With `merge`, a save of the record just saved joins
    // that save in the history (the enemy name, written at every key).
    SaveOutcome saveRecords(const std::vector<ExpectedWrite>& writes, const QString& entryLabel, bool merge = false);
    SaveOutcome saveRecord(const Table& table, int index, const Bytes& expected, const Bytes& record,
                           const QString& entryLabel, bool merge = false);

    // Whether the window shows entry `index` of `table` (a record another
    // writer changed is then read again, or its unsaved edits are kept).
    virtual bool showsRecord(const Table&, int /*index*/) const { return false; }
    // Another writer (`writer`: an undo, a redo, a restore, the grid, the
    // compare window) changed entry `index` of `table`, which the window
    // shows and holds no unsaved edits of: the window reads it again, so that
    // a later Save cannot write stale values back.
    virtual void recordRestored(const Table&, int /*index*/, const QString& /*writer*/) {}
    // Entry `index` of `table` now holds `bytes` in the image, written by a
    // save of any window (this one's too), an undo, a redo or a restore
    // (before recordRestored is called): a window that lists texts read from
    // the image brings them up to date.
    virtual void recordWritten(const Table&, int /*index*/, const Bytes& /*bytes*/) {}
    // The status line after such a read: "Undo Save -- label -- read again."
    // (after a batch save of the table grid: "Grid Save -- ...").
    QString restoredCaption(const QString& label, const QString& writer) const;
    // The status line after a Save answered with ReadAgain and the entry read
    // again: why nothing was saved, and that `what` ("it", "this page") was read again.
    void showReadAgain(const QString& label, const QString& what);

    // Runs `again` when a click lands on the entry that was selected already
    // (a click whose press selected the entry has run the selection's handler
    // and runs nothing more).
    void onClickOfSelected(QListWidget* list, std::function<void()> again);
    // Clicking the selected entry again retries a read that failed.
    void retryFailedReads(QListWidget* list, std::function<bool()> failed, std::function<void()> read);

    void complain(const QString& reason);
    void complain(const std::string& reason) { complain(QString::fromStdString(reason)); }
    // A Save that wrote nothing: the user is told why, and the status line
    // says so, so that no earlier "Saved ..." is left standing in it.
    void refuseSave(const QString& reason);
    void refuseSave(const std::string& reason) { refuseSave(QString::fromStdString(reason)); }
    // "Not saved: " and the reason in the status line, without a message.
    void showNotSaved(const QString& reason);

private:
    // True (asking whether to read again) when a record of `writes` was read
    // from another image than the one loaded now.
    bool readFromOtherImage(const std::vector<ExpectedWrite>& writes, const QString& entryLabel);
    // Every write of a record, by any writer: see showsRecord and recordRestored.
    void recordChanged(const RecordChangeEvent& change);

    EditorHost& m_host;
    QLabel* m_statusLine = nullptr;
    bool m_userEdits = false;
    // the image each record the window holds was read from (or written to last)
    std::map<std::pair<const Table*, int>, QString> m_readFrom;
    // of the latest refused Save: the other image its values came from (empty:
    // the record was changed in the image), and whether the user chose to read again
    QString m_readAgainFrom;
    bool m_readAgainAsked = false;
};
