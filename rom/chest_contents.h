#pragma once

#include "rom/numeric_text.h"
#include "rom/result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// A chest's contents word packs its type with its value: bit 15 marks gold
// (the amount in bits 0..14), else bit 14 marks an event (the value is the
// whole word), else it holds an item (the item number in bits 0..8; bits 9..13
// are not shown, and a save that keeps an item chest keeps them).
enum class ChestType : std::uint8_t { Gold, Event, Item };

struct ChestContents {
    ChestType type;
    int value;
};

inline constexpr std::string_view kChestItemCaption = "If Chest holds an Item";
inline constexpr int kMaxChestItem = 511;
inline constexpr int kMaxChestGoldOrEvent = 32767;

// bit 15 first: a word with bits 15 and 14 set is gold, bit 14 part of the amount
ChestContents decodeChestContents(std::uint16_t word);

// "gold", "event", "item"
std::string_view chestTypeName(ChestType type);

// The three types with the captions of their check boxes.
struct ChestTypeEntry {
    ChestType type;
    std::string_view name;
    std::string_view caption;
};
std::span<const ChestTypeEntry> chestTypes();
// A type by its name or caption, in any case, blanks around ignored.
std::optional<ChestType> chestTypeFromText(std::string_view text);

// The word saved for the type flags and the value text, over the word `before`
// that the record held. The value must fit the type being saved (0..32767 for
// gold and events, 0..511 for items), so that it can never set a type bit.
Result<std::uint16_t> encodeChestContents(bool gold, bool event, std::string_view valueText, std::uint16_t before,
                                          Notation notation = Notation::Window);

// The item number that text typed for an item chest stands for: an entry of
// the item list (its label or number) or an item number from 0 to 511 past it.
// `shown` is the item number shown now; `fit` as resolveTypedValue takes it.
Result<int> resolveChestItem(std::string_view typed, int shown, Notation notation = Notation::Window,
                             ValueFit fit = ValueFit::Adjust);
