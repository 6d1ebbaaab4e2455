#pragma once

#include "rom/result.h"
#include "rom/value_list.h"

#include <QComboBox>

#include <vector>

// An editable drop-down whose entries each stand for a stored whole number.
// The combo keeps the value of the entry chosen last (or read); Save writes
// that value. Text typed into the edit part stays exactly as typed (no
// completion) and is resolved at Save (by the core's store of field text) or
// at Enter, by resolveTypedValue: the label or number of an entry selects
// that entry, anything else is refused.
class ValueCombo : public QComboBox {
    Q_OBJECT
public:
    ValueCombo(const QString& objectName, QWidget* parent);

    void addEntry(const QString& label, int value);
    // Entries 0..n-1 with value = position.
    void addEntries(const QStringList& labels);

    int value() const { return m_value; }

    // Shows a stored number: selects the first entry whose value it is, or,
    // when none is, shows the bare number with no entry selected.
    void showStored(int stored);

    // The entries offered, for the core's resolve rule, and the choice shown.
    std::span<const ValueListEntry> entries() const { return m_entries; }
    ValueChoice shownChoice() const { return {currentIndex(), m_value}; }

    // Shows the choice that typed text resolved to.
    void takeChoice(const ValueChoice& choice);

signals:
    // An entry was chosen, by the user or by the program.
    void chosen(int value);

private:
    void choose(int index);
    void selectEntry(int index);

    std::vector<ValueListEntry> m_entries;  // the entries again, for the core's resolve rule and lookups
    int m_value = 0;
};
