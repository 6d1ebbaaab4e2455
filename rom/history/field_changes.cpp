#include "rom/history/field_changes.h"

#include "rom/edit_plan.h"
#include "rom/field_keys.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string valueText(const KeyedField& field, const FieldValue& value, const std::string* label)
{
    if (const auto* bit = std::get_if<bool>(&value))
        return *bit ? "on" : "off";
    if (const auto* text = std::get_if<std::string>(&value)) {
        // a name slot is padded with blanks; the padding says nothing
        std::string shown = *text;
        if (field.kind == KeyKind::Name)
            shown.erase(shown.find_last_not_of(' ') + 1);
        return field.kind == KeyKind::Name ? "\"" + shown + "\"" : shown;
    }
    std::string shown = std::to_string(std::get<std::int64_t>(value));
    if (label)
        shown += " (" + *label + ")";
    return shown;
}

const KeyedTable* keyedTableOf(const Table& table)
{
    for (const KeyedTable& keyed : keyedTables())
        if (keyed.table == &table)
            return &keyed;
    return nullptr;
}

std::string hexByte(std::uint8_t b)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

}  // namespace

std::string describeChanges(const Table& table, std::span<const std::uint8_t> before, std::span<const std::uint8_t> after)
{
    if (before.size() != table.recordSize || after.size() != table.recordSize)
        return "the record's size is wrong";
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (const KeyedTable* keyed = keyedTableOf(table)) {
        const auto changes = fieldChanges(*keyed, before, after);
        // a chest's raw word is told only where its type and value do not tell the change
        const bool typeOrValue = std::any_of(changes.begin(), changes.end(), [](const FieldChange& c) {
            return c.field->kind == KeyKind::ChestType || c.field->kind == KeyKind::ChestValue;
        });
        for (const FieldChange& change : changes) {
            if (change.field->kind == KeyKind::ChestContents && typeOrValue)
                continue;
            add(change.field->label + " " + valueText(*change.field, change.before, change.labelBefore) + " -> "
                + valueText(*change.field, change.after, change.labelAfter));
        }
    }
    // every byte of a declared table belongs to a field; should one not, its change is still shown
    if (text.empty())
        for (std::size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i])
                add("byte " + std::to_string(i) + " " + hexByte(before[i]) + " -> " + hexByte(after[i]));
    return text.empty() ? "no change" : text;
}

std::string tableTitle(const Table& table)
{
    std::string title(table.name);
    if (!title.empty())
        title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
    return title;
}
