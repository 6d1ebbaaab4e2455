#pragma once

#include "editors/common/table_window.h"

// The item secondary data of the weapons, body armor and helmets (item
// numbers 0..147): item flags, price, who can equip the item, its stat
// increase and its special protective ability.
class Item2Window : public TableWindow {
    Q_OBJECT
public:
    explicit Item2Window(EditorHost& host);

protected:
    QString readCaption(int index) const override;
    QString savedCaption(const QString& label) const override;
};

QWidget* createItem2Window(EditorHost& host);
