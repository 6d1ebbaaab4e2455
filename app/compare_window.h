#pragma once

#include "rom/field_keys.h"
#include "rom/rom_image.h"

#include <QWidget>

#include <vector>

class AppShell;
class QLabel;
class QListWidget;
class QPushButton;

// Tools > Compare With...: every field in which the image being edited and
// another image of the game differ, grouped by table ("Weapons · {Sword}
// Sword 4 · Attack: 98 -> 120", the image being edited first), then the
// bytes that differ outside all tables. The other image's value of chosen
// fields can be taken into the image being edited, as one save. The list is
// compared again after every save, undo and redo, and whenever the window
// comes forward.
class CompareWindow : public QWidget {
    Q_OBJECT
public:
    explicit CompareWindow(AppShell& shell);

    // Compares the image being edited with `other`. An image that is not the
    // game's is refused with a message naming it; the window keeps what it showed.
    bool compareWith(const QString& other);
    QString otherPath() const { return m_other; }

    void NextDifference_Click();
    void PreviousDifference_Click();
    void TakeValue_Click();
    void OpenEntry_Click();

    // Reads both images again and fills the list, keeping the row selected.
    void refresh();

protected:
    bool event(QEvent* event) override;

private:
    struct Row {
        enum class Kind { Heading, Size, Field, Unshown, Missing, Outside };
        Kind kind = Kind::Heading;
        const KeyedTable* table = nullptr;
        int index = -1;
        const KeyedField* field = nullptr;

        bool sameAs(const Row& other) const
        {
            return kind == other.kind && table == other.table && index == other.index && field == other.field;
        }
    };

    void fill();
    void step(int direction);
    std::vector<int> selectedRows() const;
    void showButtons();

    AppShell& m_host;
    QString m_other;
    bool m_otherHeadered = false;  // the other file is the game behind a copier header
    Bytes m_loaded;       // the bytes of the image being edited, as compared last
    Bytes m_otherBytes;   // the other image's, as compared last
    std::vector<Row> m_rows;  // one per list row
    QLabel* m_files;
    QListWidget* m_list;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_take;
    QPushButton* m_open;
    QLabel* m_status;
};

// The window that edits `table`, and the page of it that shows the table
// (the enemy window's page selector), or empty names for none.
struct EntryEditor {
    QString window;
    QString page;
};
EntryEditor editorOfTable(const Table& table);
