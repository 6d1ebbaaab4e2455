#include "editors/grid/grid_view.h"

#include "editors/common/list_filter.h"
#include "editors/grid/grid_model.h"
#include "rom/chest_contents.h"
#include "rom/field_lists.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

GridProxy::GridProxy(QObject* parent) : QSortFilterProxyModel(parent) { setSortRole(GridModel::kSortRole); }

void GridProxy::setFilterText(const QString& text)
{
    m_filter = text;
    invalidateFilter();
}

bool GridProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QString name = sourceModel()->index(sourceRow, 0, sourceParent).data().toString();
    return filterMatches(m_filter, name, sourceRow);
}

GridDelegate::GridDelegate(GridModel& model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(index.model());
    const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
    const KeyedField* field = m_model.fieldAt(source.column());
    if (field && (field->list != ValueListId::None || field->kind == KeyKind::ChestType)) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);  // typed text stays as typed
        combo->setMaxVisibleItems(20);
        QStringList labels;
        if (field->kind == KeyKind::ChestType) {
            for (ChestType type : {ChestType::Gold, ChestType::Event, ChestType::Item})
                labels << QString::fromLatin1(chestTypeName(type).data(), qsizetype(chestTypeName(type).size()));
        } else {
            for (const ValueListEntry& entry : valueList(field->list))
                labels << QString::fromStdString(entry.label);
        }
        combo->addItems(labels);
        return combo;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(combo->findText(text));
        combo->setEditText(text);
        // typing over the cell replaces its text, as in a line edit
        combo->lineEdit()->selectAll();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(text);
    } else {
        QStyledItemDelegate::setEditorData(editor, index);
    }
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        emit typed(index, combo->currentText());
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        emit typed(index, line->text());
}

GridView::GridView(QWidget* parent) : QTableView(parent) {}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Paste) {
        emit pasteRequested();
        event->accept();
        return;
    }
    if (event == QKeySequence::Copy) {
        emit copyRequested();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
