#pragma once

#include "rom/edit_plan.h"

#include <cstddef>
#include <string>

// The words in which the tool and the windows list a batch of changes before
// or after they are written.

// "enemy-stats[3].hp"
std::string fieldPath(const KeyedTable& table, int index, const KeyedField& field);

// One changed field as the tool prints it: "enemy-stats[3].hp: 100 -> 110";
// a name quoted, its trailing blanks inside the quotes.
std::string changeLine(const KeyedTable& table, int index, const FieldChange& change);

// "1 field in 1 record", "12 fields in 4 records"
std::string changeCount(std::size_t fields, std::size_t records);
