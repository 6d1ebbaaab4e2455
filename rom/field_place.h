#pragma once

#include "rom/tables.h"

#include <string>

// What a field's tooltip shows after its position in the image ("0x0C4917"):
// the width and range, or the bit, the same for every entry:
// " · byte · 0..255", " · word · 0..65535", " bit 7", " · text · 11 bytes".
std::string fieldKind(const Table& table, const Field& field);
