#pragma once

#include "rom/field_keys.h"
#include "rom/result.h"
#include "rom/rom_image.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <map>
#include <string>
#include <vector>

// The entries of one table as rows and its fields as columns, over the core's
// field model: column 0 names the entry as the editor's list does, each other
// column is one of the table's keyed fields. Typed text goes through the same
// store as a window's Save (window notation, values adjusted as the fields
// adjust them); a value that cannot be stored stays shown, marked, with the
// reason. Nothing is written here: the model knows each record as read and as
// the edits make it.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kSortRole = Qt::UserRole;      // numbers as numbers, the rest as text
    static constexpr int kRefusalRole = Qt::UserRole + 1;  // why the cell's text was refused; empty when it was not

    explicit GridModel(QObject* parent = nullptr);

    // Reads every record of `table` from `image`, dropping every edit.
    Status load(const KeyedTable& table, const RomImage& image);
    const KeyedTable* table() const { return m_table; }
    const KeyedField* fieldAt(int column) const;
    QString entryName(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Stores typed text in a cell: a value, or a change of the value shown by
    // "+n", "-n" or "*n" (rounded as a Save rounds, refused when the result
    // leaves the field's range). Returns the refusal's reason; empty when stored.
    QString setCellText(int row, int column, const QString& text);
    static bool isRelative(const QString& text);

    // The records the edits change: entry, bytes as read and as edited.
    struct Change {
        int index;
        Bytes read;
        Bytes edited;
    };
    std::vector<Change> changes() const;
    int refusedCount() const;
    int editedCellCount() const;
    bool hasEdits() const;
    bool rowHasEdits(int row) const;
    // The record of entry `row` as read (or saved last); empty when it could not be read.
    Bytes readRecord(int row) const;

    // Drops every edit.
    void revert();
    // The changes are in the image now: what was edited is what was read.
    void markSaved();
    // The image holds `bytes` for entry `row` now (a save elsewhere, an undo):
    // a row without edits shows them; a row with edits keeps what it read, so
    // that its save is refused rather than overwriting the other change.
    void recordWritten(int row, const Bytes& bytes);
    // Takes `bytes` as read for entry `row`, dropping its edits.
    void replaceRecord(int row, const Bytes& bytes);

signals:
    // The edits changed: a value stored, refused, reverted or saved.
    void editsChanged();

private:
    struct Row {
        Bytes read;    // what the image held when read (or saved last); empty when it could not be read
        Bytes edited;  // `read` with every accepted edit stored
        std::map<int, std::string> texts;     // the text typed for each edited column
        std::map<int, std::string> refusals;  // why a column's text cannot be stored
        std::map<int, std::string> ownRefusals;  // relative changes refused before the store
    };

    void restore(int row);
    QString shownText(const Row& row, int column, const Bytes& record) const;
    QString tipText(int row, int column) const;
    void rowChanged(int row);

    const KeyedTable* m_table = nullptr;
    std::vector<Row> m_rows;
    QStringList m_names;
};
