#include "cli/value_text.h"

std::string plainText(const FieldValue& value)
{
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return std::to_string(*n);
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? "true" : "false";
    return std::get<std::string>(value);
}

std::string shownText(const KeyedField& field, const FieldValue& value, const std::string* label)
{
    if (field.kind == KeyKind::Name)
        return Json(std::get<std::string>(value)).dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string text = plainText(value);
    if (label)
        text += " (" + *label + ")";
    return text;
}

std::string shownText(const KeyedField& field, std::span<const std::uint8_t> record)
{
    return shownText(field, readFieldValue(field, record), valueLabel(field, record));
}

Json jsonValue(const FieldValue& value)
{
    if (const auto* n = std::get_if<std::int64_t>(&value))
        return *n;
    if (const auto* b = std::get_if<bool>(&value))
        return *b;
    return std::get<std::string>(value);
}
