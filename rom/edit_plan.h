#pragma once

#include "rom/field_values.h"
#include "rom/rom_image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A batch of typed values for fields of the image (from `set` or `import`),
// checked all together before anything is written.

struct FieldEdit {
    std::string table;   // the table's key
    std::int64_t index;  // the entry
    std::string key;     // a field key or a control name
    std::string text;    // the value as typed
    std::string where;   // where it was given, for refusals
};

struct RecordChange {
    const KeyedTable* table;
    int index;
    Bytes before;
    Bytes after;
};

struct EditPlan {
    std::vector<RecordChange> changes;  // only records whose bytes change, in the order first named
    std::vector<Refusal> refusals;      // every value that cannot be stored; then nothing may be written
};

// Checks every edit against `image` (the whole file): unknown tables, entries
// and keys, a field given twice for one entry, and every value its field's
// rule refuses are all listed, not only the first.
EditPlan planEdits(std::span<const std::uint8_t> image, std::span<const FieldEdit> edits,
                   Notation notation = Notation::Tool);

// Writes the changed records in place, each whole, through the windows' road;
// refuses a plan that has refusals.
Status applyPlan(const RomImage& image, const EditPlan& plan);

struct FieldChange {
    const KeyedField* field;
    FieldValue before;
    FieldValue after;
    const std::string* labelBefore;  // list entries, where the field has them
    const std::string* labelAfter;
};

// The fields of a record that differ between two versions of it.
std::vector<FieldChange> fieldChanges(const KeyedTable& table, std::span<const std::uint8_t> before,
                                      std::span<const std::uint8_t> after);
