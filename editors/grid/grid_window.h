#pragma once

#include <QWidget>

class EditorHost;
class GridModel;
class GridProxy;
class GridView;
class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;

// Tools > Table Grid: every entry of one table in rows, every field in
// columns, edited in place and saved as one batch. Save lists the changes and
// asks first, then writes every changed record in one checked write (all or
// none) and keeps it as one step of the save history.
class GridWindow : public QWidget {
    Q_OBJECT
public:
    explicit GridWindow(EditorHost& host);

    void GridTable_Click();
    void GridSave_Click();
    void GridRevert_Click();

    // Another Load accepted an image: the grid reads it. From another file
    // the unsaved edits are dropped; the same file again keeps them.
    void imageLoaded(bool anotherImage);

    GridModel& model() const { return *m_model; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void readTable();
    void applyTyped(const QModelIndex& edited, const QString& text);
    void paste();
    void copy();
    void editsChanged();
    void showCurrentCell();
    // Asks before unsaved edits are dropped by `what` ("Switch to Weapons");
    // true when there are none or the user agrees.
    bool mayDropEdits(const QString& what);
    void setStatus(const QString& text);
    // The status line's text, told to a screen reader at once (a refusal).
    void announceRefusal(const QString& text);

    EditorHost& m_host;
    GridModel* m_model;
    GridProxy* m_proxy;
    GridView* m_view;
    QComboBox* m_tables;
    QLineEdit* m_filter;
    QLabel* m_bar;
    QPushButton* m_save;
    QPushButton* m_revert;
    int m_shownTable = -1;
    bool m_closeAsked = false;
};

QWidget* createGridWindow(EditorHost& host);
