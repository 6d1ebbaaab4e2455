#pragma once

#include "rom/tables.h"

class QWidget;

// The eight item flags of byte 0 (tables::itemFlags()), two columns of four
// in bit order.
void placeItemFlagBoxes(const Table& table, QWidget* frame);

// The equip flags (tables::equipFlags()), Ignored and pc7..pc1 in bit order,
// two columns of four.
void placeEquipBoxes(const Table& table, QWidget* frame);
