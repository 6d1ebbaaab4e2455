#include "editors/common/value_combo.h"

#include <QLineEdit>

#include <algorithm>

ValueCombo::ValueCombo(const QString& objectName, QWidget* parent) : QComboBox(parent)
{
    setObjectName(objectName);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::currentIndexChanged, this, &ValueCombo::choose);
    // picking the entry that is already current (after typing) is a choice too
    connect(this, &QComboBox::activated, this, &ValueCombo::choose);
}

void ValueCombo::addEntry(const QString& label, int value)
{
    addItem(label, value);
    m_values.push_back(value);
}

void ValueCombo::addEntries(const QStringList& labels)
{
    for (int i = 0; i < labels.size(); ++i)
        addEntry(labels[i], i);
}

void ValueCombo::choose(int index)
{
    if (index < 0)
        return;
    m_value = itemData(index).toInt();
    if (currentText() != itemText(index))
        setEditText(itemText(index));
    emit chosen(m_value);
}

void ValueCombo::selectEntry(int index)
{
    if (currentIndex() == index)
        choose(index);  // no change signal for the current entry, but its label must show again
    else
        setCurrentIndex(index);
}

void ValueCombo::showStored(int stored)
{
    m_value = stored;
    // every read passes here, for lists of up to 260 entries: look the value up
    // in the window's own copy of the values rather than item by item
    const auto found = std::find(m_values.begin(), m_values.end(), stored);
    if (found != m_values.end()) {
        selectEntry(int(found - m_values.begin()));
        return;
    }
    setCurrentIndex(-1);
    setEditText(QString::number(stored));
}

Result<int> ValueCombo::resolveTyped(const QString& label)
{
    const QString typed = currentText();
    const int current = currentIndex();
    if (current >= 0 && typed == itemText(current))
        return m_value;
    if (current < 0 && typed == QString::number(m_value))
        return m_value;  // a stored number that no entry stands for, kept as read
    const QString trimmedText = typed.trimmed();
    for (int i = 0; i < count(); ++i) {
        if (itemText(i) == typed || itemText(i).trimmed() == trimmedText) {
            selectEntry(i);
            return m_value;
        }
    }
    for (int i = 0; i < count(); ++i) {
        if (QString::number(itemData(i).toInt()) == trimmedText) {
            selectEntry(i);
            return m_value;
        }
    }
    return Result<int>::failure(QStringLiteral("%1: \"%2\" is not an entry of the list. Choose an entry, or type the label "
                                               "or the number of one.")
                                    .arg(label, typed)
                                    .toStdString());
}
