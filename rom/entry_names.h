#pragma once

#include "rom/tables.h"

#include <string>

// What a window's list shows for entry `index` of a table, from the list texts
// supplied with the program: the characters and NPCs by their own lists, the
// enemy tables by the enemy list, the item tables by the item list from the
// item number of their entry 0, the chests by number.
std::string entryListText(const Table& table, int index);

// Where the texts of a table's entry list come from: the list of data/ named
// `labels`, from its line `first` for entry 0 (for an item table the item
// number of its entry 0). None for the chests, which are listed by number.
struct EntryListSource {
    const Table* table;
    std::string_view labels;
    int first;
};
const EntryListSource* entryListSource(const Table& table);

// The table's name as a heading: "Enemy stats", "NPC sprites".
std::string tableCaption(const Table& table);
