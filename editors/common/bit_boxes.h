#pragma once

#include "rom/tables.h"

#include <QRect>
#include <QStringList>

#include <span>
#include <string_view>

class QCheckBox;
class QWidget;

// The caption of a bit field's check box: its label, or for an equip bit the
// label of its character in the label set in use.
QString bitCaption(const Field& field);

// A check box named and captioned after the bit field `name` of `table`, for
// RecordForm to bind.
QCheckBox* makeBitBox(const Table& table, std::string_view name, QWidget* parent, const QRect& geometry);

// Check boxes for the bit fields `names`, in that order, top to bottom in
// columns of `perColumn`; positions in twips inside `parent`.
struct BitGrid {
    int left;
    int top;
    int columnWidth;
    int rowStep;
    int perColumn;
    int boxWidth;
    int boxHeight;
};
void placeBitBoxes(const Table& table, std::initializer_list<const char*> names, QWidget* parent, const BitGrid& grid);
// The same for bit fields declared alike for several tables (tables::itemFlags()), by their names in `table`.
void placeBitBoxes(const Table& table, std::span<const Field> fields, QWidget* parent, const BitGrid& grid);
