#include "rom/field_place.h"

#include <string>

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
