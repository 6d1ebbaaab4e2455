#include "rom/history/field_changes.h"

#include "rom/field_access.h"
#include "rom/game_text.h"

#include <cctype>
#include <cstdio>

namespace {

std::string valueText(const Field& field, std::span<const std::uint8_t> record)
{
    if (field.width == Width::Text) {
        // a name slot is padded with blanks; the padding says nothing
        std::string text = decodeGameText(record.subspan(field.offset));
        text.erase(text.find_last_not_of(' ') + 1);
        return "\"" + text + "\"";
    }
    if (field.width == Width::Bit)
        return readField(field, record) ? "on" : "off";
    return std::to_string(readField(field, record));
}

std::string hexByte(std::uint8_t b)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

}  // namespace

std::vector<FieldChange> fieldChanges(const Table& table, std::span<const std::uint8_t> before,
                                      std::span<const std::uint8_t> after)
{
    std::vector<FieldChange> out;
    if (before.size() != table.recordSize || after.size() != table.recordSize)
        return out;
    std::vector<bool> covered(table.recordSize, false);
    for (const Field& field : table.fields) {
        const std::size_t size = fieldSize(field, table.recordSize);
        for (std::size_t i = field.offset; i < field.offset + size && i < covered.size(); ++i)
            covered[i] = true;
        const std::string was = valueText(field, before);
        const std::string now = valueText(field, after);
        if (was != now)
            out.push_back({std::string(field.label), was, now});
        else if (field.width == Width::Text && !std::equal(before.begin() + field.offset, before.end(), after.begin() + field.offset))
            out.push_back({std::string(field.label), "(bytes without a character)", "(other such bytes)"});
    }
    // every byte of a declared table belongs to a field; should one not, its change is still shown
    for (std::size_t i = 0; i < covered.size(); ++i)
        if (!covered[i] && before[i] != after[i])
            out.push_back({"byte " + std::to_string(i), hexByte(before[i]), hexByte(after[i])});
    return out;
}

std::string describeChanges(const Table& table, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after)
{
    std::string text;
    for (const FieldChange& change : fieldChanges(table, before, after)) {
        if (!text.empty())
            text += ", ";
        text += change.label + " " + change.before + " -> " + change.after;
    }
    return text.empty() ? "no change" : text;
}

std::string tableTitle(const Table& table)
{
    std::string title(table.name);
    if (!title.empty())
        title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
    return title;
}
