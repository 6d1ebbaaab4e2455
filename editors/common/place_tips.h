#pragma once

#include "rom/tables.h"

class QWidget;

// Sets a control's tooltip to where its field of entry `index` lives in the
// image ("0x0C4917 · byte · 0..255", "0x0C0C1F bit 7"). A tooltip the control
// was given before comes first, the place on a second line.
void showPlace(QWidget* control, const Table& table, const Field& field, int index);
