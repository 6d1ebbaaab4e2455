#pragma once

#include "editors/common/control_table.h"
#include "editors/common/table_window.h"

#include <span>

// The weapon and the armor editor: a defense or attack record with a status
// effect and an inflicts-status flag, both chosen from value drop-downs.
struct EquipmentEditorConfig {
    QString objectName;
    QString caption;
    const Table* table;
    QString numberPrefix;  // status line after a read, before the entry number
    int widthTwips;
    int heightTwips;
    std::span<const ControlRow> controls;  // under the list: the record frame and the Save frame
};

class EquipmentWindow : public TableWindow {
    Q_OBJECT
public:
    EquipmentWindow(EditorHost& host, const EquipmentEditorConfig& config);

protected:
    QString readCaption(int index) const override;

private:
    QString m_numberPrefix;
};

QWidget* createWeaponWindow(EditorHost& host);
QWidget* createArmorWindow(EditorHost& host);
