#include "rom/tables.h"

#include "rom/label_data.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

using enum Width;
using R = EntryRule;
using L = ValueListId;

constexpr std::array<Field, 8> kItemFlags{{
    {"Unk1", "unknown-1", 0, Bit, "Unknown 1", R::None, 0},
    {"UseMenuCheck", "use-in-menu", 0, Bit, "Use in Menu", R::None, 1},
    {"CannotSell", "cannot-sell", 0, Bit, "Cannot Sell", R::None, 2},
    {"KeyItem", "key-item", 0, Bit, "Key Item", R::None, 3},
    {"NotCarriedOverCheck", "not-carried-over", 0, Bit, "Not Carried Over", R::None, 4},
    {"Unk2", "unknown-2", 0, Bit, "Unknown 2", R::None, 5},
    {"Unk3", "unknown-3", 0, Bit, "Unknown 3", R::None, 6},
    {"UseInBattle", "use-in-battle", 0, Bit, "Use in Battle", R::None, 7},
}};

// who may equip an item: PC 1 in the highest bit
constexpr std::array<Field, 8> kEquipFlags{{
    {"Ignored", "ignored", 3, Bit, "Ignored", R::None, 0},
    {"pc7", "pc-7", 3, Bit, "PC 7", R::None, 1, L::None, 6},
    {"pc6", "pc-6", 3, Bit, "PC 6", R::None, 2, L::None, 5},
    {"pc5", "pc-5", 3, Bit, "PC 5", R::None, 3, L::None, 4},
    {"pc4", "pc-4", 3, Bit, "PC 4", R::None, 4, L::None, 3},
    {"pc3", "pc-3", 3, Bit, "PC 3", R::None, 5, L::None, 2},
    {"pc2", "pc-2", 3, Bit, "PC 2", R::None, 6, L::None, 1},
    {"pc1", "pc-1", 3, Bit, "PC 1", R::None, 7, L::None, 0},
}};

// the fields of several runs, one after the other
template <std::size_t... N>
constexpr std::array<Field, (N + ...)> joined(const std::array<Field, N>&... runs)
{
    std::array<Field, (N + ...)> out{};
    std::size_t at = 0;
    ((std::copy(runs.begin(), runs.end(), out.begin() + std::ptrdiff_t(at)), at += N), ...);
    return out;
}

constexpr Field kSpriteFields[] = {
    {"Text1", "sprite-starting-location", 0, Byte, "Sprite Starting Location", R::ClampedByte},
    {"Text2", "sprite-starting-animation", 1, Byte, "Sprite Starting Animation", R::ClampedByte},
    {"Text3", "sprite-palette", 2, Byte, "Sprite Palette", R::ClampedByte},
    {"Text4", "sprite-assembly", 3, Byte, "Sprite Assembly", R::ClampedByte},
    {"Text5", "sprite-size", 4, Byte, "Sprite Size", R::ClampedByte},
};

constexpr Field kSpriteCreationFields[] = {
    {"Text1", "sprite-starting-location", 0, Byte, "Sprite Starting Location", R::OpenEnded},
    {"Text2", "sprite-starting-animation", 1, Byte, "Sprite Starting Animation", R::ClampedByte},
    {"Text3", "sprite-palette", 2, Byte, "Sprite Palette", R::ClampedByte},
    {"Text4", "sprite-assembly", 3, Byte, "Sprite Assembly", R::ClampedByte},
    {"Text5", "sprite-size", 4, Byte, "Sprite Size", R::ClampedByte},
    {"Text6", "unknown-1", 5, Byte, "Unknown 1", R::ClampedByte},
    {"Text7", "unknown-2", 6, Byte, "Unknown 2", R::ClampedByte},
    {"Text8", "unknown-3", 7, Byte, "Unknown 3", R::ClampedByte},
    {"Text9", "unknown-4", 8, Byte, "Unknown 4", R::ClampedByte},
    {"Text10", "unknown-5", 9, Byte, "Unknown 5", R::ClampedByte},
};

constexpr Field kNameFields[] = {
    {"namebox", "name", 0, Text, "Enemy Name"},
};

constexpr Field kStatsFields[] = {
    {"s1", "hp", 0, Word, "HP", R::OpenEnded},
    {"s2", "level", 2, Byte, "Level", R::ClampedByte},
    {"s3", "unknown-1", 3, Byte, "Unknown 1", R::ClampedByte},
    {"s4", "unknown-2", 4, Byte, "Unknown 2", R::ClampedByte},
    {"s5", "unknown-3", 5, Byte, "Unknown 3", R::ClampedByte},
    {"s6", "unknown-4", 6, Byte, "Unknown 4", R::ClampedByte},
    {"s7", "unknown-5", 7, Byte, "Unknown 5", R::ClampedByte},
    {"s8", "unknown-6", 8, Byte, "Unknown 6", R::ClampedByte},
    {"s9", "speed", 9, Byte, "Speed", R::ClampedByte},
    {"s10", "magic", 10, Byte, "Magic", R::ClampedByte},
    {"s11", "hit", 11, Byte, "Hit %", R::ClampedByte},
    {"s12", "evade", 12, Byte, "Evade", R::ClampedByte},
    {"s13", "magic-def", 13, Byte, "Magic Def", R::ClampedByte},
    {"s14", "offense", 14, Byte, "Offense", R::ClampedByte},
    {"s15", "defense", 15, Byte, "Defense", R::ClampedByte},
    {"s16", "lightning-defense", 16, Byte, "Lightning Defense", R::ClampedByte},
    {"s17", "shadow-defense", 17, Byte, "Shadow Defense", R::ClampedByte},
    {"s18", "water-defense", 18, Byte, "Water Defense", R::ClampedByte},
    {"s19", "fire-defense", 19, Byte, "Fire Defense", R::ClampedByte},
    {"s20", "immunity-bytflag", 20, Byte, "Immunity Bytflag?", R::ClampedByte},
    {"s21", "death-animation", 21, Byte, "Death Animation", R::ClampedByte},
    {"s22", "hit-effect", 22, Byte, "Hit Effect", R::None, -1, L::HitEffects},
};

constexpr Field kAiFields[] = {
    {"AIT", "ai-pointer", 0, Word, "AI Pointer", R::OpenEnded},
};

constexpr Field kRewardFields[] = {
    {"r1", "experience-points", 0, Word, "Experience Points", R::OpenEnded},
    {"r2", "gil", 2, Word, "Gil", R::OpenEnded},
    {"r3", "dropped-item", 4, Byte, "Dropped Item", R::None, -1, L::ItemBytes},
    {"r4", "charmed-item", 5, Byte, "Charmed Item", R::None, -1, L::ItemBytes},
    {"r5", "tech-points", 6, Byte, "Tech Points", R::ClampedByte},
};

constexpr Field kWeaponFields[] = {
    {"Text1", "attack", 0, Byte, "Attack", R::ClampedByte},
    {"Text2", "always-0", 1, Byte, "???, Always 0", R::ClampedByte},
    {"Text3", "critical-hit", 2, Byte, "Critical Hit %", R::ClampedByte},
    {"Combo2", "inflicted-status", 3, Byte, "Inflicted Status", R::None, -1, L::WeaponEffects},
    {"Combo1", "does-weapon-inflict-status", 4, Byte, "Does Weapon Inflict Status?", R::None, -1, L::Inflicts},
};

constexpr Field kArmorFields[] = {
    {"Text1", "defense", 0, Byte, "Defense", R::ClampedByte},
    {"Combo2", "inflicted-status", 1, Byte, "Inflicted Status", R::None, -1, L::ArmorEffects},
    {"Combo1", "does-armor-inflict-status", 2, Byte, "Does Armor Inflict Status?", R::None, -1, L::Inflicts},
};

constexpr Field kAccessoryEffectFields[] = {
    {"b1", "has-effect-on-gil", 0, Bit, "Has effect on Gil", R::None, 0},
    {"b2", "unknown-1", 0, Bit, "Unknown 1", R::None, 1},
    {"b3", "unknown-2", 0, Bit, "Unknown 2", R::None, 2},
    {"b4", "unknown-3", 0, Bit, "Unknown 3", R::None, 3},
    {"b5", "unknown-4", 0, Bit, "Unknown 4", R::None, 4},
    {"b6", "has-effect-on-mp", 0, Bit, "Has effect on MP", R::None, 5},
    {"b7", "has-effect-on-counter", 0, Bit, "Has effect on Counter %", R::None, 6},
    {"b8", "unknown-5", 0, Bit, "Unknown 5", R::None, 7},
    {"b9", "unknown-6", 1, Bit, "Unknown 6", R::None, 0},
    {"b10", "unknown-7", 1, Bit, "Unknown 7", R::None, 1},
    {"b11", "unknown-8", 1, Bit, "Unknown 8", R::None, 2},
    {"b12", "unknown-9", 1, Bit, "Unknown 9", R::None, 3},
    {"b13", "has-effect-on-hp", 1, Bit, "Has effect on HP", R::None, 4},
    {"b14", "unknown-10", 1, Bit, "Unknown 10", R::None, 5},
    {"b15", "has-effect-on-stats", 1, Bit, "Has effect on stats", R::None, 6},
    {"b16", "has-effect-in-battle", 1, Bit, "Has effect in battle", R::None, 7},
    {"TypeOfEffect", "type-of-effect", 2, Byte, "Type of Effect"},
    {"ValueOfEffect", "value-of-effect", 3, Byte, "Value of Effect"},
};

constexpr auto kAccessoryEquipFields = joined(std::array<Field, 9>{{
    {"sb1", "unknown-1", 0, Bit, "Unknown 1", R::None, 0},
    {"sb2", "use-in-menu", 0, Bit, "Use in menu", R::None, 1},
    {"sb3", "cannot-sell", 0, Bit, "Cannot sell", R::None, 2},
    {"sb4", "key-item", 0, Bit, "Key Item", R::None, 3},
    {"sb5", "not-carried-over", 0, Bit, "Not carried over", R::None, 4},
    {"sb6", "unknown-2", 0, Bit, "Unknown 2", R::None, 5},
    {"sb7", "unknown-3", 0, Bit, "Unknown 3", R::None, 6},
    {"sb8", "use-in-battle", 0, Bit, "Use in battle", R::None, 7},
    {"Price", "accessory-price", 1, Word, "Accessory Price"},
}}, kEquipFlags);

constexpr auto kItemSecondaryFields = joined(kItemFlags, std::array<Field, 1>{{{"Text2", "item-price", 1, Word, "Item Price", R::OpenEnded}}},
                                            kEquipFlags,
                                            std::array<Field, 2>{{
                                                {"Text3", "stat-increase", 4, Byte, "Stat Increase", R::ClampedByte},
                                                {"Text4", "special-protective-ability", 5, Byte, "Special Protective Ability", R::ClampedByte},
                                            }});

constexpr auto kConsumableFields = joined(kItemFlags, std::array<Field, 1>{{{"Text1", "item-price", 1, Word, "Item Price", R::OpenEnded}}});

constexpr Field kGatoFields[] = {
    {"Text1", "gato", 0, Byte, "Gato", R::None, -1, L::Enemies},
};

constexpr Field kChestFields[] = {
    {"c1", "x-position", 0, Byte, "X Position", R::ClampedByte},
    {"c2", "y-position", 1, Byte, "Y Position", R::ClampedByte},
    {"Text1", "contents", 2, Word, "Contents"},
};

}  // namespace

namespace tables {
const Table characterSprites{"character sprites", 0x24F200, 5, 7, kSpriteFields, "characters"};
const Table npcSprites{"NPC sprites", 0x24F223, 5, 256, kSpriteFields, "npcs"};
const Table enemySpriteCreation{"enemy sprite creation", 0x24F800, 10, 256, kSpriteCreationFields, "enemy-sprites"};
const Table enemyNames{"enemy names", 0x0C6700, 11, 256, kNameFields, "enemy-names"};
const Table enemyStats{"enemy stats", 0x0C4900, 23, 256, kStatsFields, "enemy-stats"};
const Table enemyAiPointers{"enemy AI pointers", 0x0C8D08, 2, 256, kAiFields, "enemy-ai"};
const Table enemyRewards{"enemy rewards", 0x0C6000, 7, 256, kRewardFields, "enemy-rewards"};
const Table weapons{"weapons", 0x0C0462, 5, 86, kWeaponFields, "weapons"};
const Table armor{"armor", 0x0C067E, 3, 58, kArmorFields, "armor"};
const Table accessoryEffects{"accessory effects", 0x0C072C, 4, 40, kAccessoryEffectFields, "accessory-effects"};
const Table accessoryEquip{"accessory equip", 0x0C0C1C, 4, 40, kAccessoryEquipFields, "accessory-equip"};
const Table itemSecondary{"item secondary", 0x0C08A4, 6, 148, kItemSecondaryFields, "item-secondary"};
const Table consumables{"consumables", 0x0C0CBC, 3, 72, kConsumableFields, "consumables"};
const Table gatoSlot{"Gato slot", 0x3802F0, 1, 1, kGatoFields, "gato"};
const Table chests{"chests", 0x35F602, 4, 256, kChestFields, "chests"};

std::span<const Field> itemFlags() { return kItemFlags; }
std::span<const Field> equipFlags() { return kEquipFlags; }

std::span<const Table* const> all()
{
    static constexpr std::array<const Table*, 15> list{
        &characterSprites, &npcSprites, &enemySpriteCreation, &enemyNames, &enemyStats, &enemyAiPointers, &enemyRewards, &weapons, &armor, &accessoryEffects, &accessoryEquip, &itemSecondary, &consumables, &gatoSlot, &chests,
    };
    return list;
}
}  // namespace tables

const Field* Table::field(std::string_view fieldName) const
{
    for (const Field& f : fields)
        if (f.name == fieldName)
            return &f;
    return nullptr;
}

std::string fieldCaption(const Field& field)
{
    if (field.character >= 0) {
        const std::vector<std::string>& characters = builtinLabels("characters");
        if (std::size_t(field.character) < characters.size())
            return characters[std::size_t(field.character)];
    }
    return std::string(field.label);
}

Result<std::uint32_t> recordPosition(const Table& table, int index)
{
    if (index < 0 || index >= table.count)
        return Result<std::uint32_t>::failure("entry " + std::to_string(index) + " is not in the " + std::string(table.name)
                                              + " table (0 to " + std::to_string(table.count - 1) + ")");
    const std::int32_t product = static_cast<std::int32_t>(static_cast<std::int16_t>(index)) * table.recordSize;
    if (product > 32767)
        return Result<std::uint32_t>::failure("entry " + std::to_string(index) + " lies too far into the "
                                              + std::string(table.name) + " table");
    return table.base + static_cast<std::uint32_t>(product);
}
