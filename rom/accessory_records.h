#pragma once

#include "rom/record_io.h"

// An accessory owns one record in the effect table and one in the equip table,
// at the same entry: they are read together and saved together, so that no
// refusal or short file leaves one saved without the other.
struct AccessoryRecords {
    Bytes effect;
    Bytes equip;
};

Result<AccessoryRecords> readAccessory(const RomImage& image, int index);
