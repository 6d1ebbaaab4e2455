#pragma once

#include <QWidget>

class QListWidget;
class SaveLog;
struct SaveEntry;

// Edit > History...: the saves made to the image being edited, newest first,
// one row each, naming the table, the entry and every field changed with its
// values before and after. Saves taken back by Undo Save stay listed, marked
// "(undone)", until a new save replaces them. The saves of earlier runs and of
// the tool are listed too: they come from the image's journal.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(SaveLog& log);

    void refresh();

protected:
    // the journal is read again when the window comes to the front: saves of
    // the tool made meanwhile appear
    bool event(QEvent* event) override;

private:
    SaveLog& m_log;
    QListWidget* m_list;
};

// "Weapons · {Sword} Sword 4 · Attack 98 -> 120"
QString historyRowText(const SaveEntry& entry);
