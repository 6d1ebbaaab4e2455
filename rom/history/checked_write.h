#pragma once

#include "rom/rom_image.h"
#include "rom/tables.h"

#include <functional>
#include <span>
#include <string>

// A write that checks what it overwrites: the record is written only when the
// bytes on disk are still exactly the bytes the writer expects there (what its
// window read, or what it wrote last). Anything else was changed by another
// program or another window since, and overwriting it would silently lose
// that change.
struct CheckedWrite {
    enum class Outcome {
        Written,
        ChangedOnDisk,  // refused, nothing written: the bytes on disk are not the expected ones
        Failed,         // refused or failed for another reason (file, position, size)
    };

    Outcome outcome = Outcome::Failed;
    std::string message;    // why not, naming the entry; empty when written
    Bytes found;            // the bytes on disk when they were not the expected ones
    std::size_t which = 0;  // of several records, the one refused or failed

    explicit operator bool() const { return outcome == Outcome::Written; }
    bool changedOnDisk() const { return outcome == Outcome::ChangedOnDisk; }
};

// "entry 4 of the weapons table"
std::string entryName(const Table& table, int index);

CheckedWrite writeChecked(const RomImage& image, const Table& table, int index, std::span<const std::uint8_t> expected,
                          std::span<const std::uint8_t> record);

// One record of a save that writes several together.
struct ExpectedWrite {
    const Table* table = nullptr;
    int index = 0;
    Bytes expected;
    Bytes record;
};

// Runs once every record has passed its check and before the first is
// written, with the writers' lock held (the journal entry of the save goes
// in here). A failure refuses the save: nothing is written.
using BeforeWrite = std::function<Status()>;

// Writes several records that belong together, all or none: every one is
// checked against what is expected on disk before the first is written, and
// should a write fail after others went through, those are put back.
CheckedWrite writeCheckedAll(const RomImage& image, std::span<const ExpectedWrite> writes,
                             const BeforeWrite& beforeWrite = {});
