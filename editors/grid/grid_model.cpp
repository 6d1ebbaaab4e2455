#include "editors/grid/grid_model.h"

#include "editors/common/labels.h"
#include "rom/entry_names.h"
#include "rom/field_place.h"
#include "rom/field_values.h"
#include "rom/game_text.h"
#include "rom/table_blocks.h"

#include <QBrush>
#include <QColor>

#include <cstdio>

namespace {

const QColor kRefusedColour{0xFF, 0xB8, 0xB8};
const QColor kEditedColour{0xFF, 0xF0, 0xA0};

bool isBit(const KeyedField& f) { return f.kind == KeyKind::Plain && f.field->width == Width::Bit; }

// a field whose value is a number that "+10" can change
bool takesRelative(const KeyedField& f)
{
    return (f.kind == KeyKind::Plain && f.field->width != Width::Bit) || f.kind == KeyKind::ChestValue;
}

QString valueText(const KeyedField& f, std::span<const std::uint8_t> record)
{
    if (const std::string* label = valueLabel(f, record))
        return QString::fromStdString(*label);
    const FieldValue value = readFieldValue(f, record);
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return QString::number(*n);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    return QString::fromStdString(std::get<std::string>(value));
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

Status GridModel::load(const KeyedTable& table, const RomImage& image)
{
    const Table* const only[] = {table.table};
    auto blocks = TableBlocks::read(image, only);
    beginResetModel();
    m_table = &table;
    m_rows.assign(table.table->count, Row{});
    m_names = entryLabels(*table.table);
    for (int i = 0; i < table.table->count; ++i) {
        if (m_names.size() <= i)
            m_names << QString::fromStdString(entryListText(*table.table, i));
        if (blocks) {
            const auto record = blocks->record(*table.table, i);
            m_rows[std::size_t(i)].read.assign(record.begin(), record.end());
            m_rows[std::size_t(i)].edited = m_rows[std::size_t(i)].read;
        }
    }
    endResetModel();
    emit editsChanged();
    if (!blocks)
        return Status::failure(blocks.error());
    return success();
}

const KeyedField* GridModel::fieldAt(int column) const
{
    if (!m_table || column < 1 || column > int(m_table->fields.size()))
        return nullptr;
    return &m_table->fields[std::size_t(column - 1)];
}

QString GridModel::entryName(int row) const { return row >= 0 && row < m_names.size() ? m_names[row] : QString(); }

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table ? 0 : int(m_table->fields.size()) + 1;
}

QString GridModel::shownText(const Row& row, int column, const Bytes& record) const
{
    if (const auto typed = row.texts.find(column); typed != row.texts.end() && row.refusals.count(column))
        return QString::fromStdString(typed->second);
    return valueText(*fieldAt(column), record);
}

QString GridModel::tipText(int row, int column) const
{
    const Row& r = m_rows[std::size_t(row)];
    if (const auto refused = r.refusals.find(column); refused != r.refusals.end())
        return QString::fromStdString(refused->second);
    const KeyedField& f = *fieldAt(column);
    const auto position = recordPosition(*m_table->table, row);
    char place[16] = "";
    if (position)
        std::snprintf(place, sizeof place, "0x%06X", unsigned(*position + f.field->offset));
    QString tip = QString::fromLatin1(place) + QString::fromStdString(fieldKind(*m_table->table, *f.field));
    if (!r.read.empty() && readFieldValue(f, r.read) != readFieldValue(f, r.edited))
        tip += QStringLiteral("\nRead: ") + valueText(f, r.read);
    return tip;
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_table || index.row() >= int(m_rows.size()))
        return {};
    const int row = index.row();
    const int column = index.column();
    if (column == 0) {
        if (role == Qt::DisplayRole)
            return m_names.value(row);
        if (role == kSortRole)
            return row;
        return {};
    }
    const Row& r = m_rows[std::size_t(row)];
    const KeyedField* f = fieldAt(column);
    if (!f)
        return {};
    if (r.read.empty())
        return role == Qt::ToolTipRole ? QVariant(QStringLiteral("%1 could not be read").arg(m_names.value(row))) : QVariant();
    const bool refused = r.refusals.count(column) > 0;
    switch (role) {
    case Qt::DisplayRole:
        if (isBit(*f) && !refused)
            return {};
        return shownText(r, column, r.edited);
    case Qt::EditRole:
        return shownText(r, column, r.edited);
    case Qt::CheckStateRole:
        if (!isBit(*f))
            return {};
        return fieldNumber(*f->field, r.edited) ? Qt::Checked : Qt::Unchecked;
    case kSortRole: {
        if (refused)
            return shownText(r, column, r.edited);
        const FieldValue value = readFieldValue(*f, r.edited);
        if (const auto* n = std::get_if<std::int64_t>(&value); n && !valueLabel(*f, r.edited))
            return qlonglong(*n);
        if (const auto* b = std::get_if<bool>(&value))
            return int(*b);
        return shownText(r, column, r.edited);
    }
    case Qt::TextAlignmentRole:
        // numbers line up on the right, as in a spreadsheet
        if (!refused && !isBit(*f) && !valueLabel(*f, r.edited)
            && std::holds_alternative<std::int64_t>(readFieldValue(*f, r.edited)))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case kRefusalRole:
        return refused ? QString::fromStdString(r.refusals.at(column)) : QString();
    case Qt::AccessibleTextRole:
        // a bit shows no text: a reader says its state rather than nothing
        if (isBit(*f) && !refused)
            return fieldNumber(*f->field, r.edited) ? QStringLiteral("on") : QStringLiteral("off");
        return {};
    case Qt::AccessibleDescriptionRole:
        // what the colour tells the eye
        if (refused)
            return QStringLiteral("Refused: ") + QString::fromStdString(r.refusals.at(column));
        if (readFieldValue(*f, r.read) != readFieldValue(*f, r.edited))
            return QStringLiteral("Edited, not saved; read: ") + valueText(*f, r.read);
        return {};
    case Qt::BackgroundRole:
        if (refused)
            return QBrush(kRefusedColour);
        if (readFieldValue(*f, r.read) != readFieldValue(*f, r.edited))
            return QBrush(kEditedColour);
        return {};
    case Qt::ToolTipRole:
        return tipText(row, column);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section) : QVariant();
    if (section == 0)
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("Entry")) : QVariant();
    const KeyedField* f = fieldAt(section);
    if (!f)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(f->label);
    if (role == Qt::ToolTipRole)
        return QStringLiteral("%1 (the tool's key: %2)").arg(QString::fromStdString(f->label), QString::fromStdString(f->key));
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const KeyedField* f = fieldAt(index.column());
    if (!f || !f->settable || m_rows[std::size_t(index.row())].read.empty())
        return flags;
    flags |= Qt::ItemIsEditable;
    if (isBit(*f))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (role == Qt::CheckStateRole)
        return setCellText(index.row(), index.column(),
                           value.toInt() == Qt::Checked ? QStringLiteral("true") : QStringLiteral("false"))
                   .isEmpty();
    if (role == Qt::EditRole)
        return setCellText(index.row(), index.column(), value.toString()).isEmpty();
    return false;
}

bool GridModel::isRelative(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() < 2 || (t[0] != QLatin1Char('+') && t[0] != QLatin1Char('-') && t[0] != QLatin1Char('*')))
        return false;
    return numericValue(t.mid(1).toStdString()).has_value();
}

QString GridModel::setCellText(int row, int column, const QString& text)
{
    const KeyedField* f = fieldAt(column);
    if (!f || row < 0 || row >= int(m_rows.size()) || !f->settable || m_rows[std::size_t(row)].read.empty())
        return QStringLiteral("This cell is shown, not settable.");
    Row& r = m_rows[std::size_t(row)];
    std::string typed = text.toStdString();
    r.ownRefusals.erase(column);
    if (f->kind != KeyKind::Name && isRelative(text)) {
        const QString t = text.trimmed();
        const double operand = *numericValue(t.mid(1).toStdString());
        if (!takesRelative(*f)) {
            r.ownRefusals[column] = f->label + ": " + t.toStdString() + " changes a number, and this field holds "
                                    + (isBit(*f) ? "a bit (true or false)." : "no number.");
        } else {
            const FieldValue now = readFieldValue(*f, r.edited);
            const double base = double(std::get<std::int64_t>(now));
            const QChar op = t[0];
            const double result = op == QLatin1Char('+') ? base + operand : op == QLatin1Char('-') ? base - operand : base * operand;
            const std::int64_t min = f->min.value_or(0);
            const std::int64_t max = f->max.value_or(65535);
            // rounded as a Save rounds a typed number: half to even
            const std::int64_t whole = roundHalfEven(result).value_or(max + 1);
            if (whole < min || whole > max) {
                char shown[32];
                std::snprintf(shown, sizeof shown, "%.15g", result);
                r.ownRefusals[column] = f->label + ": " + std::to_string(std::get<std::int64_t>(now)) + " " + t.toStdString()
                                        + " makes " + shown + ", outside " + std::to_string(min) + ".." + std::to_string(max) + ".";
            } else {
                typed = std::to_string(whole);
            }
        }
    }
    r.texts[column] = typed;
    restore(row);
    rowChanged(row);
    const auto refused = r.refusals.find(column);
    return refused == r.refusals.end() ? QString() : QString::fromStdString(refused->second);
}

// Stores every text typed for the row over the record as read, as one Save
// of the entry's window would.
void GridModel::restore(int row)
{
    Row& r = m_rows[std::size_t(row)];
    std::vector<FieldInput> inputs;
    std::vector<int> columns;
    for (const auto& [column, text] : r.texts) {
        if (r.ownRefusals.count(column))
            continue;
        inputs.push_back({fieldAt(column), text});
        columns.push_back(column);
    }
    std::vector<InputRefusal> refusals;
    r.edited = applyInputs(r.read, inputs, refusals, Notation::Window, ValueFit::Adjust);
    r.refusals = r.ownRefusals;
    for (const InputRefusal& refusal : refusals)
        r.refusals[columns[refusal.input]] = refusal.reason;
}

void GridModel::rowChanged(int row)
{
    emit dataChanged(index(row, 1), index(row, columnCount() - 1));
    emit editsChanged();
}

std::vector<GridModel::Change> GridModel::changes() const
{
    std::vector<Change> out;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].refusals.empty() && m_rows[i].read != m_rows[i].edited)
            out.push_back({int(i), m_rows[i].read, m_rows[i].edited});
    return out;
}

int GridModel::refusedCount() const
{
    int count = 0;
    for (const Row& r : m_rows)
        count += int(r.refusals.size());
    return count;
}

int GridModel::editedCellCount() const
{
    int count = 0;
    for (const Row& r : m_rows)
        count += int(r.texts.size());
    return count;
}

bool GridModel::hasEdits() const { return editedCellCount() > 0; }

bool GridModel::rowHasEdits(int row) const
{
    return row >= 0 && row < int(m_rows.size()) && !m_rows[std::size_t(row)].texts.empty();
}

Bytes GridModel::readRecord(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[std::size_t(row)].read : Bytes();
}

void GridModel::revert()
{
    for (Row& r : m_rows) {
        r.texts.clear();
        r.refusals.clear();
        r.ownRefusals.clear();
        r.edited = r.read;
    }
    if (!m_rows.empty())
        emit dataChanged(index(0, 1), index(int(m_rows.size()) - 1, columnCount() - 1));
    emit editsChanged();
}

void GridModel::markSaved()
{
    for (Row& r : m_rows) {
        if (!r.refusals.empty())
            continue;
        r.read = r.edited;
        r.texts.clear();
    }
    if (!m_rows.empty())
        emit dataChanged(index(0, 1), index(int(m_rows.size()) - 1, columnCount() - 1));
    emit editsChanged();
}

void GridModel::recordWritten(int row, const Bytes& bytes)
{
    if (row < 0 || row >= int(m_rows.size()) || rowHasEdits(row) || m_rows[std::size_t(row)].read == bytes)
        return;
    replaceRecord(row, bytes);
}

void GridModel::replaceRecord(int row, const Bytes& bytes)
{
    Row& r = m_rows[std::size_t(row)];
    r = Row{};
    r.read = bytes;
    r.edited = bytes;
    rowChanged(row);
}
