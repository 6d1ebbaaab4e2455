#include "editors/common/value_combo.h"

#include <QLineEdit>

#include <algorithm>

ValueCombo::ValueCombo(const QString& objectName, QWidget* parent) : QComboBox(parent)
{
    setObjectName(objectName);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Qt's inline completion would turn "2" into the first label starting
    // with 2, and Save would store that label's value: typed text stays as typed
    setCompleter(nullptr);
    // with duplicates allowed, Enter does not look the text up itself (case
    // blind, first match wins); it resolves it by the list's own rule below
    setDuplicatesEnabled(true);
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (auto choice = resolveTypedValue(m_entries, shownChoice(), currentText().toStdString(), {}))
            takeChoice(*choice);
    });
    connect(this, &QComboBox::currentIndexChanged, this, &ValueCombo::choose);
    // picking the entry that is already current (after typing) is a choice too
    connect(this, &QComboBox::activated, this, &ValueCombo::choose);
}

void ValueCombo::addEntry(const QString& label, int value)
{
    addItem(label, value);
    m_entries.push_back({label.toStdString(), value});
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

void ValueCombo::takeChoice(const ValueChoice& choice)
{
    if (choice.entry >= 0) {
        selectEntry(choice.entry);
        return;
    }
    m_value = choice.value;
    setEditText(QString::number(choice.value));
}

void ValueCombo::showStored(int stored)
{
    m_value = stored;
    // every read passes here, for lists of up to 260 entries: look the value up
    // in the window's own copy of the entries rather than item by item
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [stored](const ValueListEntry& entry) { return entry.value == stored; });
    if (found != m_entries.end()) {
        selectEntry(int(found - m_entries.begin()));
        return;
    }
    setCurrentIndex(-1);
    setEditText(QString::number(stored));
}
