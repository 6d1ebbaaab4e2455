#pragma once

#include "rom/value_lists.h"

class ValueCombo;

// Fills a value drop-down with the entries of one of the core's value lists,
// so that a window and the command-line tool offer the same entries.
void addValueEntries(ValueCombo* combo, ValueListId list);
