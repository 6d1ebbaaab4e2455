#pragma once

#include "rom/rom_image.h"
#include "rom/tables.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>

class EditorHost;
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

protected:
    EditorHost& host() { return m_host; }
    RomImage image() const;

    // The status line `bar` across the top, reading "Label1" until first set.
    QLabel* makeStatusLine(int widthTwips, const QColor& background = kStatusGrey);
    QListWidget* makeList(const QString& objectName, const QRect& geometry, const QStringList& entries);

    // Reads entry `index` of `table`; on failure the user is told why and
    // nothing is returned.
    std::optional<Bytes> readEntry(const Table& table, int index);
    // Writes a whole record of `table` at entry `index`, or nothing and the
    // reason why (for refuseSave).
    Status writeEntry(const Table& table, int index, const Bytes& record);

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

private:
    EditorHost& m_host;
    QLabel* m_statusLine = nullptr;
};
