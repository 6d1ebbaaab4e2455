#pragma once

#include "rom/rom_image.h"
#include "rom/tables.h"

// A record read whole, at the position its table gives for the entry, and
// never outside the file. Records are written through the checked write of
// the save history (rom/history/checked_write.h), which compares them with
// what was read first.
Result<Bytes> readRecord(const RomImage& image, const Table& table, int index);
