#include "rom/field_place.h"

#include <cstdio>

std::string fieldKind(const Table& table, const Field& field)
{
    switch (field.width) {
    case Width::Byte:
        return " \u00B7 byte \u00B7 0..255";
    case Width::Word:
        return " \u00B7 word \u00B7 0..65535";
    case Width::Bit:
        return " bit " + std::to_string(field.bit);
    case Width::Text:
        return " \u00B7 text \u00B7 " + std::to_string(table.recordSize) + " bytes";
    }
    return {};
}

Result<std::string> fieldPlace(const Table& table, const Field& field, int index)
{
    const auto record = recordPosition(table, index);
    if (!record)
        return Result<std::string>::failure(record.error());
    char position[16];
    std::snprintf(position, sizeof position, "0x%06X", static_cast<unsigned>(*record + field.offset));
    return std::string(position) + fieldKind(table, field);
}
