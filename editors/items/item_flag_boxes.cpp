#include "editors/items/item_flag_boxes.h"

#include "editors/common/bit_boxes.h"

namespace {

constexpr BitGrid kFlagGrid{120, 240, 1560, 270, 4, 1455, 255};
constexpr BitGrid kEquipGrid{120, 240, 1320, 270, 4, 1215, 255};

}  // namespace

void placeItemFlagBoxes(const Table& table, QWidget* frame)
{
    placeBitBoxes(table, tables::itemFlags(), frame, kFlagGrid);
}

void placeEquipBoxes(const Table& table, QWidget* frame)
{
    // the equip byte holds PC 1 in its highest bit
    placeBitBoxes(table, tables::equipFlags(), frame, kEquipGrid);
}
