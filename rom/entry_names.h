#pragma once

#include "rom/tables.h"

#include <string>

// What a window's list shows for entry `index` of a table, from the list texts
// supplied with the program: the characters and NPCs by their own lists, the
// enemy tables by the enemy list, the item tables by the item list from the
// item number of their entry 0, the chests by number.
std::string entryListText(const Table& table, int index);

// The table's name as a heading: "Enemy stats", "NPC sprites".
std::string tableCaption(const Table& table);
