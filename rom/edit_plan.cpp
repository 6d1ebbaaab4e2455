#include "rom/edit_plan.h"

#include "rom/history/checked_write.h"
#include "rom/history/image_history.h"
#include "rom/record_io.h"

#include <algorithm>
#include <utility>

namespace {

std::string entryName(const KeyedTable& table, std::int64_t index)
{
    return std::string(table.key()) + "[" + std::to_string(index) + "]";
}

// The edits of one entry, by their positions in the batch.
struct EntryEdits {
    const KeyedTable* table;
    int index;
    std::vector<std::size_t> edits;
};

std::size_t tableOrdinal(const KeyedTable* table) { return static_cast<std::size_t>(table - keyedTables().data()); }

}  // namespace

std::string placeOf(const FieldEdit& edit)
{
    const std::string field = entryName(*edit.table, edit.index) + "." + edit.field->key;
    switch (edit.place.kind) {
    case EditPlace::Kind::Argument:
        break;
    case EditPlace::Kind::JsonEntry:
        return "tables." + std::string(edit.table->key()) + "[" + std::to_string(edit.place.first) + "]."
               + edit.field->key + " (" + field + ")";
    case EditPlace::Kind::CsvCell:
        return "line " + std::to_string(edit.place.first) + ", column " + std::to_string(edit.place.second) + " (" + field
               + ")";
    }
    return field;
}

EditPlan planEdits(const RecordReader& read, std::span<const FieldEdit> edits, Notation notation, ValueFit fit)
{
    EditPlan plan;
    // group the edits by entry, in the order first named; a field twice for one entry is refused
    std::vector<EntryEdits> entries;
    std::vector<std::vector<int>> entryAt(keyedTables().size());
    for (std::size_t e = 0; e < edits.size(); ++e) {
        const FieldEdit& edit = edits[e];
        const Table& table = *edit.table->table;
        if (edit.index < 0 || edit.index >= table.count) {
            plan.refusals.push_back({placeOf(edit), "the " + std::string(edit.table->key()) + " table has no entry "
                                                        + std::to_string(edit.index) + " (0 to "
                                                        + std::to_string(table.count - 1) + ")"});
            continue;
        }
        std::vector<int>& slots = entryAt[tableOrdinal(edit.table)];
        if (slots.empty())
            slots.assign(table.count, -1);
        int& slot = slots[std::size_t(edit.index)];
        if (slot < 0) {
            slot = static_cast<int>(entries.size());
            entries.push_back({edit.table, static_cast<int>(edit.index), {}});
        }
        std::vector<std::size_t>& same = entries[std::size_t(slot)].edits;
        const auto twice = std::find_if(same.begin(), same.end(), [&](std::size_t o) { return edits[o].field == edit.field; });
        if (twice != same.end()) {
            plan.refusals.push_back({placeOf(edit), edit.field->key + " is given twice (also at " + placeOf(edits[*twice]) + ")"});
            continue;
        }
        same.push_back(e);
    }
    std::vector<FieldInput> inputs;
    std::vector<InputRefusal> refused;
    for (const EntryEdits& entry : entries) {
        auto before = read(*entry.table->table, entry.index);
        if (!before) {
            plan.refusals.push_back({placeOf(edits[entry.edits.front()]), before.error()});
            continue;
        }
        inputs.clear();
        refused.clear();
        for (std::size_t e : entry.edits)
            inputs.push_back({edits[e].field, edits[e].text});
        Bytes after = applyInputs(*before, inputs, refused, notation, fit);
        for (InputRefusal& r : refused)
            plan.refusals.push_back({placeOf(edits[entry.edits[r.input]]), std::move(r.reason)});
        if (refused.empty() && after != *before)
            plan.changes.push_back({entry.table, entry.index, std::move(before.value()), std::move(after)});
    }
    return plan;
}

RecordReader recordsOf(std::span<const std::uint8_t> image)
{
    return [image](const Table& table, int index) -> Result<Bytes> {
        const auto position = recordPosition(table, index);
        if (!position)
            return Result<Bytes>::failure(position.error());
        const std::size_t at = *position;
        if (at + table.recordSize > image.size())
            return Result<Bytes>::failure("the file ends before this entry of the " + std::string(table.name) + " table");
        return Bytes(image.begin() + at, image.begin() + at + table.recordSize);
    };
}

EditPlan planEdits(std::span<const std::uint8_t> image, std::span<const FieldEdit> edits, Notation notation,
                   ValueFit fit)
{
    return planEdits(recordsOf(image), edits, notation, fit);
}

Status applyPlan(const RomImage& image, const EditPlan& plan, ImageHistory* history, std::string_view source)
{
    if (!plan.refusals.empty())
        return Status::failure("nothing was written: " + std::to_string(plan.refusals.size()) + " values were refused");
    if (plan.changes.empty())
        return success();
    std::vector<ExpectedWrite> writes;
    writes.reserve(plan.changes.size());
    for (const RecordChange& change : plan.changes)
        writes.push_back({change.table->table, change.index, change.before, change.after});
    // every write checks the file's identity in its own open, as the windows' do
    SaveEntry about;
    about.source = std::string(source);
    about.time = std::chrono::system_clock::now();
    const CheckedWrite written = history ? history->save(image, writes, std::move(about)) : writeCheckedAll(image, writes);
    if (!written)
        return Status::failure(written.message);
    return success();
}

std::vector<FieldChange> fieldChanges(const KeyedTable& table, std::span<const std::uint8_t> before,
                                      std::span<const std::uint8_t> after)
{
    std::vector<FieldChange> changes;
    for (const KeyedField& field : table.fields) {
        FieldValue a = readFieldValue(field, before);
        FieldValue b = readFieldValue(field, after);
        if (a != b)
            changes.push_back({&field, std::move(a), std::move(b), valueLabel(field, before), valueLabel(field, after)});
    }
    return changes;
}
