#pragma once

#include "rom/tables.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What a change of a record's bytes means in the table's own terms: each
// changed field with its label and its values before and after, as an editor
// shows them (numbers in decimal, words unsigned, bits as on/off, game text
// quoted).
struct FieldChange {
    std::string label;
    std::string before;
    std::string after;
};

std::vector<FieldChange> fieldChanges(const Table& table, std::span<const std::uint8_t> before,
                                      std::span<const std::uint8_t> after);

// "Attack 98 -> 120, Critical Hit % 5 -> 9"; "no change" when nothing differs.
std::string describeChanges(const Table& table, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

// The table's name as a title: "Weapons", "Enemy stats".
std::string tableTitle(const Table& table);
