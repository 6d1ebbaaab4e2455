#pragma once

#include "editors/common/table_window.h"

// The consumable and key items (item numbers 188..259): item flags and price.
class ConsumablesWindow : public TableWindow {
    Q_OBJECT
public:
    explicit ConsumablesWindow(EditorHost& host);

    void Form_Load();
    void Command3_Click();

protected:
    QString readCaption(int index) const override;
};

QWidget* createConsumablesWindow(EditorHost& host);
