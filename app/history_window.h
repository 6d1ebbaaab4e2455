#pragma once

#include <QWidget>

class QListWidget;
class SaveLog;
struct SaveEntry;

// Edit > History...: the saves made to the image being edited, newest first,
// one row each, naming the table, the entry and every field changed with its
// values before and after. Saves taken back by Undo Save stay listed, marked
// "(undone)", until a new save replaces them.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(SaveLog& log);

    void refresh();

private:
    SaveLog& m_log;
    QListWidget* m_list;
};

// "Weapons · {Sword} Sword 4 · Attack 98 -> 120"
QString historyRowText(const SaveEntry& entry);
