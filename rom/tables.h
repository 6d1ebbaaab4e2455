#pragma once

#include "rom/numeric_text.h"
#include "rom/result.h"
#include "rom/field_lists.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Every table of the image is declared once, here, as data: the windows bind
// their controls to fields by name and never compute a position themselves.

enum class Width : std::uint8_t {
    Byte,  // one unsigned byte
    Word,  // 16-bit little-endian, shown as 0..65535
    Bit,   // one bit of the byte at `offset`
    Text,  // game text filling the whole record
};

// One field of a record, declared once for every front end: the windows bind
// their control by `name`, the tool names the field by `key` (the control name
// is accepted too), both show `label` as its caption (an equip bit: the label
// of its character) and store typed text through the same entry rule, value
// list and range (the range follows from the width: 0..255, 0..65535, 0..1).
struct Field {
    std::string_view name;   // the control bound to the field (its object name)
    std::string_view key;    // the tool's name for the field: its label in lower case, "-" between words
    std::uint16_t offset;
    Width width;
    std::string_view label;  // the label or caption beside the control
    EntryRule rule = EntryRule::None;
    std::int8_t bit = -1;    // 0..7 for Width::Bit
    ValueListId list = ValueListId::None;  // the list a drop-down chooses the value from
    std::int8_t character = -1;  // an equip bit: the playable character (0 = the first) whose label is its caption
};

struct Table {
    std::string_view name;
    std::uint32_t base;
    std::uint16_t recordSize;
    std::uint16_t count;
    std::span<const Field> fields;
    std::string_view key;  // the table's name on the command line: "enemy-stats"

    // By control name.
    const Field* field(std::string_view fieldName) const;
};

// The caption of a field as the program supplies it: its label, or for an
// equip bit the built-in label of its character (a window shows the label of
// the label set in use).
std::string fieldCaption(const Field& field);

// base + index * recordSize; the product is formed in 16-bit signed arithmetic
// as the game's tables are indexed, and an index outside the table is refused.
Result<std::uint32_t> recordPosition(const Table& table, int index);

namespace tables {
extern const Table characterSprites;
extern const Table npcSprites;
extern const Table enemySpriteCreation;
extern const Table enemyNames;
extern const Table enemyStats;
extern const Table enemyAiPointers;
extern const Table enemyRewards;
extern const Table weapons;
extern const Table armor;
extern const Table accessoryEffects;
extern const Table accessoryEquip;
extern const Table itemSecondary;
extern const Table consumables;
extern const Table gatoSlot;
extern const Table chests;

std::span<const Table* const> all();

// Bit fields that several tables declare alike, bit 0 first: the eight item
// flags of byte 0 (item secondary, consumables), and the equip byte at 3
// (item secondary, accessory equip), Ignored and then PC 7 down to PC 1.
std::span<const Field> itemFlags();
std::span<const Field> equipFlags();
}  // namespace tables

// The identity value at 0x10651 that marks an image of the game.
inline constexpr std::uint32_t kIdentityPosition = 0x10651;
inline constexpr std::int32_t kIdentityValue = -1391440352;  // bytes 20 4E 10 AD
inline constexpr std::uint32_t kImageSize = 0x400000;
