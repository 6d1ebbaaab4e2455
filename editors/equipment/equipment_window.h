#pragma once

#include "editors/common/table_window.h"

#include <span>

class ValueCombo;

// A row of the record frame: the caption label and the control of one field,
// text field or value drop-down (positions in twips inside the frame).
struct EquipmentRow {
    const char* field;
    int top;
    int labelWidth;
    int controlWidth;
};

// The weapon and the armor editor: a defense or attack record with a status
// effect and an inflicts-status flag, both chosen from value drop-downs.
struct EquipmentEditorConfig {
    QString objectName;
    QString caption;
    const Table* table;
    QString numberPrefix;  // status line after a read, before the entry number
    int widthTwips;
    int heightTwips;
    int frameHeightTwips;  // Frame1, under the list
    int controlLeftTwips;
    std::span<const EquipmentRow> rows;  // drop-downs take their entries from their field's value list
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
