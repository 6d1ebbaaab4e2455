#include "rom/change_text.h"

#include <cstdio>

namespace {

// a name in double quotes, with the escapes of a JSON string
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string valueText(const KeyedField& field, const FieldValue& value)
{
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return std::to_string(*n);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? "true" : "false";
    const std::string& text = std::get<std::string>(value);
    return field.kind == KeyKind::Name ? quoted(text) : text;
}

}  // namespace

std::string fieldPath(const KeyedTable& table, int index, const KeyedField& field)
{
    return std::string(table.key()) + "[" + std::to_string(index) + "]." + field.key;
}

std::string changeLine(const KeyedTable& table, int index, const FieldChange& change)
{
    return fieldPath(table, index, *change.field) + ": " + valueText(*change.field, change.before) + " -> "
           + valueText(*change.field, change.after);
}

std::string changeCount(std::size_t fields, std::size_t records)
{
    return std::to_string(fields) + (fields == 1 ? " field" : " fields") + " in " + std::to_string(records)
           + (records == 1 ? " record" : " records");
}
