#pragma once

#include <QLineEdit>
#include <QList>

class QListWidget;

// Whether a list entry passes a filter: its text contains every typed word
// (case-insensitive), or the whole filter is one number, decimal or
// hexadecimal as the lists show indices ("0A" or "10" both find entry 10),
// that is the entry's index. An empty filter passes everything.
bool filterMatches(const QString& filter, const QString& text, int index);

// The field `Filter` above a long list: typing narrows the list to the
// matching entries by hiding the others. Hidden entries keep their rows, so
// an entry's row stays its index and the selection is never moved: what is
// selected is still what the editor reads and writes. One filter may serve
// several lists (the enemy lists), each filtered alike.
class ListFilter : public QLineEdit {
    Q_OBJECT
public:
    explicit ListFilter(QWidget* parent);

    void addList(QListWidget* list);
    // Filters the lists again (after their entries changed).
    void apply();

private:
    QList<QListWidget*> m_lists;
};
