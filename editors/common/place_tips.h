#pragma once

#include "rom/tables.h"

#include <QString>

class QWidget;

// A control's tooltip that tells where its field of the entry shown lives in
// the image ("0x0C4917 · byte · 0..255", "0x0C0C1F bit 7"). A tooltip the
// control had before comes first, the place on a second line. Everything but
// the position is worked out once, as it is set on every read.
class PlaceTip {
public:
    PlaceTip(QWidget* control, const Table& table, const Field& field);

    void show(int index) const;

private:
    QWidget* m_control;
    const Table* m_table;
    std::uint16_t m_offset;
    QString m_before;  // the control's own tooltip and a line break, or nothing
    QString m_kind;    // what follows the position
};

// The same for a control set once or seldom.
void showPlace(QWidget* control, const Table& table, const Field& field, int index);
