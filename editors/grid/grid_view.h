#pragma once

#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>

class GridModel;

// The grid's rows as the view shows them: sorted by a column when asked
// (the records are not touched) and narrowed by the Filter text as the
// editors' lists are, by the entry's name or number.
class GridProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit GridProxy(QObject* parent);

    void setFilterText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_filter;
};

// The cell editors: a drop-down of the list's labels for a list field (typed
// text is kept as typed, as in the windows' drop-downs), a line edit for the
// rest. What the editor holds when it closes is handed to `typed`, not
// stored here: the window sets every selected cell of the column.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    GridDelegate(GridModel& model, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    void typed(const QModelIndex& index, const QString& text) const;

private:
    GridModel& m_model;
};

// The table view of the grid: Ctrl+V pastes a block of tab-separated text,
// Ctrl+C copies the selected cells as such a block.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent);

signals:
    void pasteRequested();
    void copyRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
