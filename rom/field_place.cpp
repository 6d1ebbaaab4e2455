#include "rom/field_place.h"

#include <cstdio>

Result<std::string> fieldPlace(const Table& table, const Field& field, int index)
{
    const auto record = recordPosition(table, index);
    if (!record)
        return Result<std::string>::failure(record.error());
    char position[16];
    std::snprintf(position, sizeof position, "0x%06X", static_cast<unsigned>(*record + field.offset));
    const std::string at(position);
    switch (field.width) {
    case Width::Byte:
        return at + " \u00B7 byte \u00B7 0..255";
    case Width::Word:
        return at + " \u00B7 word \u00B7 0..65535";
    case Width::Bit:
        return at + " bit " + std::to_string(field.bit);
    case Width::Text:
        return at + " \u00B7 text \u00B7 " + std::to_string(table.recordSize) + " bytes";
    }
    return at;
}
