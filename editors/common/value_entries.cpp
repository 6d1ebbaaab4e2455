#include "editors/common/value_entries.h"

#include "editors/common/value_combo.h"

void addValueEntries(ValueCombo* combo, ValueListId list)
{
    for (const ValueListEntry& entry : valueList(list))
        combo->addEntry(QString::fromStdString(entry.label), entry.value);
}
