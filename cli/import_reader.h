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

// An import file's bytes as UTF-8 text. A file that starts with a UTF-16
// byte-order mark (what PowerShell 5.1's `>` and Notepad's "Unicode" write) is
// converted into `converted`, and `text` then views that; any other is left
// as it is. Then the text is checked as textFault does. A UTF-16 text that
// breaks (a lone surrogate, an odd byte at the end) is refused with its place.
std::optional<Refusal> readAsUtf8(std::string_view& text, std::string& converted);

// A JSON text in the dump's shape: {"tables": {"<table>": [{"index": n,
// "<key>": value, ...}, ...]}}, any subset of tables, entries and keys; an
// "image" member is ignored. Places are JSON paths ("tables.weapons[2].attack").
ImportReading readJsonImport(std::string_view text);

// A CSV text of one table: a header "index,<key>,..." (keys or control names),
// then one row per entry. Places are lines and columns.
ImportReading readCsvImport(std::string_view text, std::string_view table);

// Whether a file's name ends in ".csv", in any case.
bool isCsvName(std::string_view fileName);

// The table a CSV file's name stands for, "<table>.csv" with the letters in
// any case ("Enemy-Stats.CSV" is enemy-stats: Windows keeps names as typed
// and finds them in any case); empty where it names no table.
std::string tableOfCsvName(std::string_view fileName);
