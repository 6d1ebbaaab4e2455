#include "cli/command_support.h"

#include "cli/commands.h"
#include "rom/files.h"

#include <charconv>
#include <ostream>

std::string tableNames()
{
    std::string names;
    for (const KeyedTable& t : keyedTables())
        names += (names.empty() ? "" : ", ") + std::string(t.key());
    return names;
}

const KeyedTable& tableArgument(std::string_view name)
{
    if (const KeyedTable* table = findKeyedTable(name))
        return *table;
    failUsage("unknown table \"" + std::string(name) + "\" (the tables: " + tableNames() + ")");
}

const KeyedField& keyArgument(const KeyedTable& table, std::string_view key)
{
    if (const KeyedField* field = table.find(key))
        return *field;
    failUsage("the " + std::string(table.key()) + " table has no field \"" + std::string(key) + "\" (veldra-cli tables lists them)");
}

int indexArgument(const KeyedTable& table, std::string_view text)
{
    int base = 10;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    int index = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || index < 0
        || index >= table.table->count)
        failUsage("the " + std::string(table.key()) + " table has no entry \"" + std::string(text) + "\" (0 to "
                  + std::to_string(table.table->count - 1) + ")");
    return index;
}

Bytes loadImageArgument(const std::string& path)
{
    auto image = RomImage(pathFromUtf8(path)).readAll();
    if (!image)
        failRefused(image.error());
    return std::move(image.value());
}

void writeResult(CommandIo& io, std::string_view data, const OutputOptions& output, const std::string& imagePath)
{
    if (output.file.empty()) {
        io.out.write(data.data(), static_cast<std::streamsize>(data.size()));
        return;
    }
    if (!imagePath.empty() && sameFile(pathFromUtf8(output.file), pathFromUtf8(imagePath)))
        failRefused("--output names the image itself: " + output.file);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    if (Status written = writeNewFile(pathFromUtf8(output.file), std::span(bytes, data.size()),
                                      output.force ? Existing::Replace : Existing::Refuse);
        !written)
        failWrite(written.error(), output.force);
}
