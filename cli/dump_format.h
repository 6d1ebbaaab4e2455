#pragma once

#include "rom/field_keys.h"
#include "rom/table_blocks.h"

#include <string>
#include <vector>

// The dump of an image's tables, as the dump command writes it and import
// reads it back.

// {"image": {"path", "size"}, "tables": {"<table>": [{"index": 0, "<key>": value, ...}, ...]}},
// one entry a line so that a change shows as one changed line.
// `size` is the image's size in bytes; `blocks` must hold the tables.
std::string dumpJson(const std::string& path, std::uint64_t size, const TableBlocks& blocks,
                     const std::vector<const KeyedTable*>& tables);

// A header "index,<key>,..." and one row per entry, lines ending in CRLF.
std::string dumpCsv(const TableBlocks& blocks, const KeyedTable& table);
