#pragma once

#include "cli/command.h"
#include "rom/field_keys.h"
#include "rom/platform/path_text.h"
#include "rom/rom_image.h"

#include <optional>
#include <string>
#include <string_view>

// What several commands share: reading their arguments (a fault is a usage
// error), the image (a refusal), and writing their result.

const KeyedTable& tableArgument(std::string_view name);
const KeyedField& keyArgument(const KeyedTable& table, std::string_view key);
// A decimal (or 0x hexadecimal) entry of the table.
int indexArgument(const KeyedTable& table, std::string_view text);

// The whole image, refused by name when it is no image of the game.
Bytes loadImageArgument(const std::string& path);

// Writes a command's result to standard output, or to a new file.
struct OutputOptions {
    std::string file;  // empty: standard output
    bool force = false;
};
void writeResult(CommandIo& io, std::string_view data, const OutputOptions& output, const std::string& imagePath = {});

// The table names, comma-separated, for messages.
std::string tableNames();
