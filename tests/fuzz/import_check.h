#pragma once

#include "tests/fuzz/fuzz_check.h"

#include "cli/import_reader.h"
#include "rom/edit_plan.h"
#include "rom/sample_image.h"

#include <string_view>

// What every import reading must keep, whatever the file held: each edit
// names a table and a field of it, each refusal says where; and the plan of
// the edits over a sample image either refuses or changes whole records of
// their tables, each change a real one, never both.
inline void checkReading(const ImportReading& reading)
{
    static const Bytes image = makeSampleImage();
    for (const FieldEdit& edit : reading.edits)
        FUZZ_CHECK(edit.table && edit.field);
    for (const Refusal& refusal : reading.refusals)
        FUZZ_CHECK(!refusal.reason.empty());
    const EditPlan plan = planEdits(image, reading.edits);
    if (!plan.refusals.empty())
        return;
    for (const RecordChange& change : plan.changes) {
        const std::size_t size = change.table->table->recordSize;
        FUZZ_CHECK(change.before.size() == size && change.after.size() == size);
        FUZZ_CHECK(change.before != change.after);
        FUZZ_CHECK(change.index >= 0 && change.index < change.table->table->count);
    }
}

// A file that is no text (a NUL byte in it, say, bytes that are not UTF-8, or
// UTF-16 that breaks) is refused whole: one refusal, not an edit read from it.
// A file that starts with a UTF-16 byte-order mark is judged by the text it
// converts to: its raw bytes hold NULs wherever its characters are ASCII.
inline void checkText(std::string_view text, const ImportReading& reading)
{
    std::string converted;
    std::string_view read = text;
    if (!readAsUtf8(read, converted))
        return;
    FUZZ_CHECK(reading.edits.empty());
    FUZZ_CHECK(reading.refusals.size() == 1);
}
