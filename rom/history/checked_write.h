#pragma once

#include "rom/rom_image.h"
#include "rom/tables.h"

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
    std::string message;  // why not, naming the entry; empty when written
    Bytes found;          // the bytes on disk when they were not the expected ones

    explicit operator bool() const { return outcome == Outcome::Written; }
    bool changedOnDisk() const { return outcome == Outcome::ChangedOnDisk; }
};

// "entry 4 of the weapons table"
std::string entryName(const Table& table, int index);

CheckedWrite writeChecked(const RomImage& image, const Table& table, int index, std::span<const std::uint8_t> expected,
                          std::span<const std::uint8_t> record);
