#include "rom/field_lists.h"

#include "rom/label_data.h"

#include <vector>

namespace {

std::vector<ValueListEntry> numbered(const std::vector<std::string>& labels, int firstWithoutByte = -1)
{
    std::vector<ValueListEntry> entries;
    entries.reserve(labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const int value = static_cast<int>(i);
        entries.push_back({labels[i], firstWithoutByte >= 0 && value >= firstWithoutByte ? 0 : value});
    }
    return entries;
}

const std::vector<ValueListEntry> kInflicts{{"No", 0}, {"Yes", 1}};

const std::vector<ValueListEntry> kWeaponEffects{
    {"None", 0},
    {"Damage can vary", 2},
    {"1.5x hit on Mg enemies", 12},
    {"2x hit for Mg enemies", 13},
    {"Attack up when ally falls", 22},
    {"Cuts enemy's HP by 1/2", 24},
    {"Attack changes below 10 HP", 25},
    {"Random 'stop'", 36},
    {"Random 'stop'", 38},
    {"Random 'slow'", 39},
    {"Random 'stop' on machines", 40},
    {"Random 'chaos'", 41},
    {"Unused ( random 'chaos' ?)", 46},
    {"4x damage at critical", 47},
    {"Unused (causes 9999 damage at critical)", 56},
};

// two labels end in a blank, four quote the status they name
const std::vector<ValueListEntry> kArmorEffects{
    {"None", 0},
    {"Cuts physical damage by 1/3 ", 23},
    {"Absorbs 50% of lightning hits", 26},
    {"Absorbs 50% of shadow hits", 27},
    {"Absorbs 50% of water hits", 28},
    {"Absorbs 50% of fire hits", 29},
    {"Absorbs lightning hits", 31},
    {"Absorbs shadow hits", 32},
    {"Absorbs water hits", 33},
    {"Absorbs fire hits", 34},
    {"Prevents \"chaos\"", 42},
    {"Prevents \"lock\"", 43},
    {"Prevents \"stop\" and \"slow\"", 44},
    {"Protects status", 45},
    {"Cuts magic attacks by 1/3", 49},
    {"Causes \"chaos\" ", 50},
    {"50% less time between attacks", 51},
};

// entry i stands for the stored byte i; "19 - " ends with a blank
const std::vector<ValueListEntry> kHitEffects = numbered({
    "0 - Nothing",
    "1 - Nothing",
    "2 - Randomly inflicts Stop",
    "3 - Randomly inflicts Poison",
    "4 - Randomly inflicts Slow",
    "5 - Causes HP Leak",
    "6 - Randomly inflicts Lock",
    "7 - Randomly inflicts Confuse",
    "8 - Randomly inflicts Sleep",
    "9 - Randomly inflicts Blind",
    "10 - Absorbs your HP",
    "11 - Nothing",
    "12 - Nothing",
    "13 - Takes all your HP",
    "14 - Absorbs your MP",
    "15 - Absorbs more of your HP",
    "16 - Brings you down to 1 HP",
    "17 - Gives you all it's HP",
    "18 - Takes half of your HP",
    "19 - Deals more damage ",
    "20 - Deals even more damage",
    "21 - Absorbs a little of your HP",
    "22 - Deals more damage than usual",
});

}  // namespace

int entryShowing(std::span<const ValueListEntry> list, int stored)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].value == stored)
            return static_cast<int>(i);
    return -1;
}

Result<int> resolveStoredValue(std::span<const ValueListEntry> list, std::string_view typed, int stored,
                               std::string_view label, Notation notation, ValueFit fit)
{
    std::string text(typed);
    const auto start = typed.find_first_not_of(" \t");
    const bool toolHex = notation == Notation::Tool && start != std::string_view::npos
                         && (typed.substr(start, 2) == "0x" || typed.substr(start, 2) == "0X");
    if (toolHex)
        if (auto v = numericValue(typed, notation); v && *v <= 2147483647.0)
            text = std::to_string(static_cast<long long>(*v));
    auto choice = resolveTypedValue(list, {entryShowing(list, stored), stored}, text, label, fit);
    if (choice)
        return choice->value;
    if (text == typed)
        return Result<int>::failure(choice.error());
    // the reason quotes the text as it was typed, not its decimal form
    return Result<int>::failure(resolveTypedValue({}, {-1, -1}, typed, label).error());
}

std::span<const ValueListEntry> valueList(ValueListId id)
{
    switch (id) {
    case ValueListId::None:
        break;
    case ValueListId::Inflicts:
        return kInflicts;
    case ValueListId::WeaponEffects:
        return kWeaponEffects;
    case ValueListId::ArmorEffects:
        return kArmorEffects;
    case ValueListId::HitEffects:
        return kHitEffects;
    case ValueListId::Items: {
        static const std::vector<ValueListEntry> items = numbered(builtinLabels("items"));
        return items;
    }
    case ValueListId::ItemBytes: {
        // an item byte cannot name the last four items: their entries stand for 0
        static const std::vector<ValueListEntry> items = numbered(builtinLabels("items"), 256);
        return items;
    }
    case ValueListId::Enemies: {
        static const std::vector<ValueListEntry> enemies = numbered(builtinLabels("enemies"));
        return enemies;
    }
    }
    return {};
}
