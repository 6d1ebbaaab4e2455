#include "editors/common/list_filter.h"

#include <QListWidget>

namespace {

// the index a filter names as a number, decimal and hexadecimal; -1 for none
std::pair<int, int> typedIndex(const QString& filter)
{
    bool decimalOk = false;
    bool hexOk = false;
    const int decimal = filter.toInt(&decimalOk, 10);
    const int hex = filter.toInt(&hexOk, 16);
    return {decimalOk && decimal >= 0 ? decimal : -1, hexOk && hex >= 0 ? hex : -1};
}

}  // namespace

bool filterMatches(const QString& filter, const QString& text, int index)
{
    const QString typed = filter.simplified();
    if (typed.isEmpty())
        return true;
    if (!typed.contains(QLatin1Char(' ')) && !typed.startsWith(QLatin1Char('+')) && !typed.startsWith(QLatin1Char('-'))) {
        const auto [decimal, hex] = typedIndex(typed);
        if (index == decimal || index == hex)
            return true;
    }
    const QStringList words = typed.split(QLatin1Char(' '));
    for (const QString& word : words)
        if (!text.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

ListFilter::ListFilter(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("Filter"));
    setPlaceholderText(QStringLiteral("Filter"));
    setAccessibleName(placeholderText());
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("Shows the entries whose text holds every word typed, or whose number is typed "
                              "(decimal, or hexadecimal as the list shows it)"));
    connect(this, &QLineEdit::textChanged, this, &ListFilter::apply);
}

void ListFilter::addList(QListWidget* list)
{
    m_lists << list;
    // a list filled later (names read from the image) is filtered as it fills
    connect(list->model(), &QAbstractItemModel::rowsInserted, this, &ListFilter::apply);
    apply();
}

void ListFilter::apply()
{
    const QString typed = text();
    for (QListWidget* list : m_lists) {
        list->setUpdatesEnabled(false);
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem* item = list->item(row);
            item->setHidden(!filterMatches(typed, item->text(), row));
        }
        list->setUpdatesEnabled(true);
        // keep the entry selected in view once it shows again
        if (QListWidgetItem* current = list->currentItem(); current && !current->isHidden())
            list->scrollToItem(current);
    }
}
