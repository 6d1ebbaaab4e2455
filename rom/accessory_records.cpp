#include "rom/accessory_records.h"

#include "rom/record_io.h"

Result<AccessoryRecords> readAccessory(const RomImage& image, int index)
{
    auto effect = readRecord(image, tables::accessoryEffects, index);
    if (!effect)
        return Result<AccessoryRecords>::failure(effect.error());
    auto equip = readRecord(image, tables::accessoryEquip, index);
    if (!equip)
        return Result<AccessoryRecords>::failure(equip.error());
    return AccessoryRecords{*effect, *equip};
}
