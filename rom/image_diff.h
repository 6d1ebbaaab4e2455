#pragma once

#include "rom/field_values.h"

#include <cstdint>
#include <span>
#include <vector>

// What differs between two images of the game: every field of every table,
// then the bytes that no table covers.

struct FieldDifference {
    const KeyedTable* table;
    int index;
    const KeyedField* field;
    FieldValue a;
    FieldValue b;
    const std::string* labelA;  // list entries, where the field has them
    const std::string* labelB;
};

// Bytes first..last (inclusive) differ; bytes past the end of the shorter
// image count as differing.
struct ByteRun {
    std::uint64_t first;
    std::uint64_t last;
};

// A record whose bytes differ although every field reads the same (a name
// whose bytes the codec shows alike, such as the two apostrophes).
struct UnshownDifference {
    const KeyedTable* table;
    int index;
    ByteRun bytes;
};

// Entries of a table that only the longer image holds (whole or in part): the
// shorter file ends before them, so their fields cannot be compared.
struct MissingEntries {
    const KeyedTable* table;
    int first;
    int last;
    ByteRun bytes;     // their bytes, as far as the longer image holds them
    bool onlyInA;      // else only in B
};

struct ImageDiff {
    std::vector<FieldDifference> fields;
    std::vector<UnshownDifference> unshown;
    std::vector<MissingEntries> missing;
    std::vector<ByteRun> outside;  // runs of differing bytes outside every table
    bool sizesDiffer = false;

    bool equal() const
    {
        return fields.empty() && unshown.empty() && missing.empty() && outside.empty() && !sizesDiffer;
    }
};

// Fields are compared for the records that both images hold whole; the
// entries past the end of the shorter image are listed as missing from it.
ImageDiff diffImages(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

// Copies the value of `field` from `from` into `record` (two records of the
// field's table): only the field's own bytes, and of a bit field only its bit.
// A name fills its record; a chest's type, value and contents all live in its
// contents word, which is copied whole.
void copyFieldValue(const KeyedField& field, std::span<std::uint8_t> record, std::span<const std::uint8_t> from);
