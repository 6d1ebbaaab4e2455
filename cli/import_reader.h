#pragma once

#include "rom/edit_plan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The values an import file gives, read without looking at any image: every
// fault of the file's shape is listed with where it is, not only the first.
struct ImportReading {
    std::vector<FieldEdit> edits;
    std::vector<Refusal> refusals;
};

// The first place where `text` is no UTF-8 text, a NUL byte included, with
// what is there; none for a sound text. Each reader refuses such a file
// whole, before it reads anything of it.
std::optional<Refusal> textFault(std::string_view text);

// A JSON text in the dump's shape: {"tables": {"<table>": [{"index": n,
// "<key>": value, ...}, ...]}}, any subset of tables, entries and keys; an
// "image" member is ignored. Places are JSON paths ("tables.weapons[2].attack").
ImportReading readJsonImport(std::string_view text);

// A CSV text of one table: a header "index,<key>,..." (keys or control names),
// then one row per entry. Places are lines and columns.
ImportReading readCsvImport(std::string_view text, std::string_view table);
