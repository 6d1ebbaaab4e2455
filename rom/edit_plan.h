#pragma once

#include "rom/field_values.h"
#include "rom/rom_image.h"
#include "rom/table_blocks.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A batch of typed values for fields of the image (from `set` or `import`),
// checked all together before anything is written.

// Where a value was given, put into words only when it is refused.
struct EditPlace {
    enum class Kind : std::uint8_t {
        Argument,   // the command line: "weapons[2].attack"
        JsonEntry,  // "tables.weapons[0].attack", `first` the entry's position in its array
        CsvCell,    // "line 4, column 2", `first` the line, `second` the column
    };
    Kind kind = Kind::Argument;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
};

struct FieldEdit {
    const KeyedTable* table;
    std::int64_t index;  // the entry; one outside the table is refused
    const KeyedField* field;
    std::string text;    // the value as typed
    EditPlace place;
};

// "tables.weapons[0].attack (weapons[2].attack)", "line 4, column 2 (weapons[2].attack)", "weapons[2].attack"
std::string placeOf(const FieldEdit& edit);

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

// The records of the whole file's bytes, read once (they must outlive the reader).
RecordReader recordsOf(std::span<const std::uint8_t> image);

// Checks every edit against the records `read` gives: entries outside their
// table, a field given twice for one entry, and every value its field's rule
// refuses are all listed, not only the first. `fit` as applyInputs takes it.
EditPlan planEdits(const RecordReader& read, std::span<const FieldEdit> edits, Notation notation = Notation::Tool,
                   ValueFit fit = ValueFit::Exact);
// The same over the whole file's bytes.
EditPlan planEdits(std::span<const std::uint8_t> image, std::span<const FieldEdit> edits,
                   Notation notation = Notation::Tool, ValueFit fit = ValueFit::Exact);

class ImageHistory;

// Writes the changed records in place, each whole, through the windows' road;
// refuses a plan that has refusals. The records are written all or none, and
// only where the file still holds what the plan was made from: a record
// another program changed in between is refused with nothing written. With a
// `history`, the save is kept there (and in the image's journal, first) as
// one entry made by `source`.
Status applyPlan(const RomImage& image, const EditPlan& plan, ImageHistory* history = nullptr,
                 std::string_view source = {});

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
