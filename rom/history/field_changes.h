#pragma once

#include "rom/tables.h"

#include <cstdint>
#include <span>
#include <string>

// What a change of a record's bytes means in the table's own terms, for the
// save history: each changed field with its label and its values before and
// after, as an editor shows them ("Attack 98 -> 120", a list field's number
// with its entry's label, bits as on/off, a name quoted, a chest's type and
// value rather than its raw word). "no change" when nothing differs.
std::string describeChanges(const Table& table, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after);

// The table's name as a title: "Weapons", "Enemy stats".
std::string tableTitle(const Table& table);
