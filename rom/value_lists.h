#pragma once

#include <cstdint>
#include <span>
#include <string>

// The lists a value drop-down (or the Gato enemy list) chooses from: each
// entry is a label and the whole number that is stored for it.
struct ValueEntry {
    std::string label;
    int value;
};

enum class ValueListId : std::uint8_t {
    None,
    Inflicts,       // the "Does ... Inflict Status?" lists: No, Yes
    WeaponEffects,  // weapon Inflicted Status
    ArmorEffects,   // armor Inflicted Status
    HitEffects,     // enemy Hit Effect, entry i stands for byte i
    Items,          // the 260 items by item number (the chest item list)
    ItemBytes,      // the 260 items for an item byte: the last four stand for 0
    Enemies,        // the 256 enemies by enemy index
};

std::span<const ValueEntry> valueList(ValueListId id);
