#pragma once

#include "rom/field_keys.h"
#include "rom/rom_image.h"

#include <string>
#include <vector>

// The dump of an image's tables, as the dump command writes it and import
// reads it back.

// {"image": {"path", "size"}, "tables": {"<table>": [{"index": 0, "<key>": value, ...}, ...]}},
// one entry a line so that a change shows as one changed line.
std::string dumpJson(const std::string& path, const Bytes& image, const std::vector<const KeyedTable*>& tables);

// A header "index,<key>,..." and one row per entry, lines ending in CRLF.
std::string dumpCsv(const Bytes& image, const KeyedTable& table);
