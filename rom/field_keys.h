#pragma once

#include "rom/tables.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The tables as the command-line tool names them: each field under its
// declared key, its control's object name as an alias. The chest contents
// word is seen as the chest window shows it: a type and a value, with the raw
// word shown beside them.

enum class KeyKind : std::uint8_t {
    Plain,          // a byte, word or bit, typed as a number (or a list entry)
    Name,           // game text filling the record
    ChestType,      // gold, event or item
    ChestValue,     // the gold amount, event word or item number
    ChestContents,  // the raw contents word: shown, not settable
};

struct KeyedField {
    std::string key;
    std::string control;  // accepted wherever a key is; empty when there is none
    std::string label;
    const Field* field;   // the declared field that holds the value
    KeyKind kind;
    std::string_view width;  // "byte", "word", "bit" or "text"
    std::optional<std::int64_t> min;
    std::optional<std::int64_t> max;
    ValueListId list;     // the entries a label may name; None for plain numbers
    bool settable;
};

struct KeyedTable {
    const Table* table;
    std::vector<KeyedField> fields;

    std::string_view key() const { return table->key; }
    // By key, else by control name.
    const KeyedField* find(std::string_view keyOrControl) const;
};

// Every table, in the order of tables::all().
std::span<const KeyedTable> keyedTables();
const KeyedTable* findKeyedTable(std::string_view key);

// Lower case, every run of characters other than a-z and 0-9 one "-", none at
// either end: "Hit %" -> "hit", "???, Always 0" -> "always-0". The rule the
// declared keys follow.
std::string keyFromLabel(std::string_view label);
