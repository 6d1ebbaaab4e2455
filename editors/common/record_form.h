#pragma once

#include "editors/common/place_tips.h"
#include "rom/rom_image.h"
#include "rom/tables.h"

#include <QStringList>

class QCheckBox;
class QLineEdit;
class QWidget;
class ValueCombo;

// Binds the controls of a window to the fields of one table by object name and
// moves a record between the two: entry fields for bytes and words, check
// boxes for bits, value drop-downs for bytes chosen from a list.
class RecordForm {
public:
    // Binds every field of `table` to its control under `root`, except text
    // fields and those named in `leftToWindow`, which the window handles
    // itself. A field without a control (a check box for a bit, else an entry
    // field or a drop-down) is a fault of the window: std::logic_error.
    RecordForm(const Table& table, QWidget* root, const QStringList& leftToWindow = {});

    const Table& table() const { return m_table; }

    // Spreads a record over the controls.
    void show(std::span<const std::uint8_t> record) const;

    // Rebuilds the record from the controls, over `record` (bytes of fields
    // that are not bound keep their value). Refused with a reason naming the
    // field when a control does not convert.
    Result<Bytes> collect(Bytes record) const;

    // Sets each control's tooltip to its field's place in entry `index`.
    void showPlaces(int index) const;

private:
    // the control, and the same as the kind it is, found once (a read runs
    // through every binding)
    struct Binding {
        const Field* field;
        QWidget* control;
        QCheckBox* box;
        ValueCombo* combo;
        QLineEdit* edit;
    };
    const Table& m_table;
    std::vector<Binding> m_bindings;
    mutable std::vector<PlaceTip> m_tips;  // made at the first read, when every own tooltip is set
};
