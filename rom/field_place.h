#pragma once

#include "rom/tables.h"

#include <string>

// Where a field of entry `index` lives in the image, as a tooltip shows it:
// the file position in hexadecimal, then the width and range, or the bit:
// "0x0C4917 · byte · 0..255", "0x0C4900 · word · 0..65535",
// "0x0C0C1F bit 7", "0x0C6700 · text · 11 bytes".
// Refused for an index outside the table.
Result<std::string> fieldPlace(const Table& table, const Field& field, int index);

// The part of a field's place after its position (" · byte · 0..255",
// " bit 7"): the same for every entry.
std::string fieldKind(const Table& table, const Field& field);
