#include "rom/field_access.h"

#include "rom/rom_image.h"

std::uint32_t readField(const Field& field, std::span<const std::uint8_t> record)
{
    switch (field.width) {
    case Width::Byte:
        return record[field.offset];
    case Width::Word:
        return wordAt(record, field.offset);
    case Width::Bit:
        return (record[field.offset] >> field.bit) & 1u;
    case Width::Text:
        break;
    }
    return 0;
}

void writeField(const Field& field, std::span<std::uint8_t> record, std::uint32_t value)
{
    switch (field.width) {
    case Width::Byte:
        record[field.offset] = static_cast<std::uint8_t>(value);
        break;
    case Width::Word:
        putWord(record, field.offset, static_cast<std::uint16_t>(value));
        break;
    case Width::Bit: {
        const auto mask = static_cast<std::uint8_t>(1u << field.bit);
        record[field.offset] = value ? record[field.offset] | mask : record[field.offset] & ~mask;
        break;
    }
    case Width::Text:
        break;
    }
}

std::uint32_t fieldMax(const Field& field)
{
    switch (field.width) {
    case Width::Byte:
        return 0xFF;
    case Width::Word:
        return 0xFFFF;
    case Width::Bit:
        return 1;
    case Width::Text:
        break;
    }
    return 0;
}

std::size_t fieldSize(const Field& field, std::size_t recordSize)
{
    switch (field.width) {
    case Width::Word:
        return 2;
    case Width::Text:
        return recordSize - field.offset;
    default:
        return 1;
    }
}
