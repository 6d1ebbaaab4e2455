#include "rom/edit_plan.h"

#include "rom/record_io.h"

#include <map>
#include <utility>

namespace {

struct EntryInputs {
    const KeyedTable* table;
    int index;
    std::vector<FieldInput> inputs;
};

std::string entryName(const KeyedTable& table, std::int64_t index)
{
    return std::string(table.key()) + "[" + std::to_string(index) + "]";
}

}  // namespace

EditPlan planEdits(std::span<const std::uint8_t> image, std::span<const FieldEdit> edits, Notation notation)
{
    EditPlan plan;
    std::vector<EntryInputs> entries;
    std::map<std::pair<const KeyedTable*, int>, std::size_t> entryAt;
    std::map<std::pair<std::pair<const KeyedTable*, int>, const KeyedField*>, std::string> givenAt;
    for (const FieldEdit& edit : edits) {
        const KeyedTable* table = findKeyedTable(edit.table);
        if (!table) {
            plan.refusals.push_back({edit.where, "there is no table named \"" + edit.table + "\""});
            continue;
        }
        const KeyedField* field = table->find(edit.key);
        if (!field) {
            plan.refusals.push_back({edit.where, "the " + std::string(table->key()) + " table has no field named \""
                                                     + edit.key + "\""});
            continue;
        }
        if (edit.index < 0 || edit.index >= table->table->count) {
            plan.refusals.push_back({edit.where, "the " + std::string(table->key()) + " table has no entry "
                                                     + std::to_string(edit.index) + " (0 to "
                                                     + std::to_string(table->table->count - 1) + ")"});
            continue;
        }
        const auto entry = std::make_pair(table, static_cast<int>(edit.index));
        auto [given, fresh] = givenAt.emplace(std::make_pair(entry, field), edit.where);
        if (!fresh) {
            plan.refusals.push_back({edit.where, entryName(*table, edit.index) + "." + field->key + " is given twice (also at "
                                                     + given->second + ")"});
            continue;
        }
        auto [at, added] = entryAt.emplace(entry, entries.size());
        if (added)
            entries.push_back({table, entry.second, {}});
        entries[at->second].inputs.push_back({field, edit.text, edit.where});
    }
    for (const EntryInputs& entry : entries) {
        auto position = recordPosition(*entry.table->table, entry.index);
        const std::size_t size = entry.table->table->recordSize;
        if (!position || *position + size > image.size()) {
            plan.refusals.push_back({entry.inputs.front().where, entryName(*entry.table, entry.index)
                                                                     + " lies past the end of the file"});
            continue;
        }
        const auto before = image.subspan(*position, size);
        const std::size_t refusedBefore = plan.refusals.size();
        Bytes after = applyInputs(before, entry.inputs, plan.refusals, notation);
        if (plan.refusals.size() == refusedBefore && !std::equal(after.begin(), after.end(), before.begin()))
            plan.changes.push_back({entry.table, entry.index, Bytes(before.begin(), before.end()), std::move(after)});
    }
    return plan;
}

Status applyPlan(const RomImage& image, const EditPlan& plan)
{
    if (!plan.refusals.empty())
        return Status::failure("nothing was written: " + std::to_string(plan.refusals.size()) + " values were refused");
    if (plan.changes.empty())
        return success();
    std::vector<RecordWrite> writes;
    writes.reserve(plan.changes.size());
    for (const RecordChange& change : plan.changes)
        writes.push_back({change.table->table, change.index, change.after});
    // every write checks the file's identity in its own open, as the windows' do
    const WrittenRecords written = writeRecords(image, writes);
    if (!written.status && written.count > 0)
        return Status::failure(written.status.error() + " (" + std::to_string(written.count) + " of "
                               + std::to_string(writes.size()) + " changed records were written before this)");
    return written.status;
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
