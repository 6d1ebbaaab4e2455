#pragma once

#include "rom/rom_image.h"
#include "rom/tables.h"

#include <span>

// The one road by which the windows and the command-line tool move records
// between the image and memory: a record is read or written whole, at the
// position its table gives for the entry, and never outside the file.

Result<Bytes> readRecord(const RomImage& image, const Table& table, int index);
Status writeRecord(const RomImage& image, const Table& table, int index, std::span<const std::uint8_t> record);

struct RecordWrite {
    const Table* table;
    int index;
    Bytes record;
};

// What a batch of writes did: how many records went in (farthest first)
// before the failure, if there was one.
struct WrittenRecords {
    std::size_t count = 0;
    Status status = success();
};

// Writes several records that belong together. Every one is checked (its entry
// in its table, its size) before the first is written, and they are written
// farthest into the image first: a file too short for any of them is refused
// before anything is touched, since a write never grows the file.
WrittenRecords writeRecords(const RomImage& image, std::span<const RecordWrite> records);
