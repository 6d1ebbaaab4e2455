#pragma once

#include "rom/numeric_text.h"
#include "rom/value_list.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The lists a value drop-down (or the Gato enemy list) chooses from: each
// entry is a label and the whole number that is stored for it.

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

std::span<const ValueListEntry> valueList(ValueListId id);

// The entry that shows a stored value, as a drop-down shows it after a read:
// the first whose value it is; -1 when none is.
int entryShowing(std::span<const ValueListEntry> list, int stored);

// The value that typed text stands for in a list by the drop-downs' resolve
// rule (resolveTypedValue), the list showing `stored` as after a read. With
// the tool's notation a "0x" number counts as the decimal number it stands for;
// `fit` as resolveTypedValue takes it.
Result<int> resolveStoredValue(std::span<const ValueListEntry> list, std::string_view typed, int stored,
                               std::string_view label, Notation notation = Notation::Window,
                               ValueFit fit = ValueFit::Adjust);
