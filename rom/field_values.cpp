#include "rom/field_values.h"

#include "rom/chest_contents.h"
#include "rom/enemy_names.h"
#include "rom/game_text.h"
#include "rom/rom_image.h"
#include "rom/value_lists.h"

#include <algorithm>

namespace {

std::string lowered(std::string_view text)
{
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t')
            s += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

Result<bool> bitFromText(std::string_view text, std::string_view label)
{
    const std::string t = lowered(text);
    if (t == "true" || t == "1")
        return true;
    if (t == "false" || t == "0")
        return false;
    return Result<bool>::failure(std::string(label) + " must be true or false; it holds \"" + std::string(text) + "\".");
}

Status storePlain(const KeyedField& k, Bytes& record, const std::string& text, Notation notation)
{
    const Field& f = *k.field;
    if (f.width == Width::Bit) {
        auto bit = bitFromText(text, f.label);
        if (!bit)
            return Status::failure(bit.error());
        const auto mask = static_cast<std::uint8_t>(1u << f.bit);
        record[f.offset] = *bit ? (record[f.offset] | mask) : (record[f.offset] & ~mask);
        return success();
    }
    if (f.list != ValueListId::None) {
        auto value = resolveStoredValue(valueList(f.list), text, record[f.offset], f.label, notation);
        if (!value)
            return Status::failure(value.error());
        record[f.offset] = static_cast<std::uint8_t>(*value);
        return success();
    }
    const std::string ruled = applyEntryRule(f.rule, text, notation);
    if (f.width == Width::Word) {
        auto word = wordFromText(ruled, f.label, notation);
        if (!word)
            return Status::failure(word.error());
        putWord(record, f.offset, *word);
        return success();
    }
    auto byte = byteFromText(ruled, f.label, notation);
    if (!byte)
        return Status::failure(byte.error());
    record[f.offset] = *byte;
    return success();
}

Status storeName(Bytes& record, const std::string& text)
{
    // an unchanged name keeps its bytes, even those the codec cannot reproduce
    if (decodeGameText(record) == text)
        return success();
    if (Status fits = checkGameText(text, record.size(), kEnemyNameLabel); !fits)
        return fits;
    encodeGameText(text, record);
    return success();
}

// The type and value of a chest are stored together, as its window's Save does.
void storeChest(Bytes& record, const FieldInput* type, const FieldInput* value, const FieldInput* contents,
                std::vector<Refusal>& refusals, Notation notation)
{
    const Field& f = *(type ? type : value ? value : contents)->field->field;
    const std::uint16_t before = wordAt(record, f.offset);
    const ChestContents current = decodeChestContents(before);
    bool ok = true;
    if (contents) {
        const auto given = wholeFromText(contents->text, f.label, 0, 65535, notation);
        if (!given || *given != before) {
            refusals.push_back({contents->where, "Contents is shown, not settable: set type and value instead."});
            ok = false;
        }
    }
    ChestType newType = current.type;
    if (type) {
        if (auto parsed = chestTypeFromText(type->text)) {
            newType = *parsed;
        } else {
            refusals.push_back({type->where, "Treasure Type must be gold, event or item; it holds \"" + type->text + "\"."});
            ok = false;
        }
    }
    if (!ok || (!type && !value))
        return;
    std::string valueText = value ? value->text : std::to_string(current.value);
    const std::string& where = value ? value->where : type->where;
    if (value && newType == ChestType::Item) {
        auto item = resolveChestItem(valueText, current.type == ChestType::Item ? current.value : 0, notation);
        if (!item) {
            refusals.push_back({where, item.error()});
            return;
        }
        valueText = std::to_string(*item);
    }
    auto word = encodeChestContents(newType == ChestType::Gold, newType == ChestType::Event, valueText, before, notation);
    if (!word) {
        refusals.push_back({where, word.error()});
        return;
    }
    putWord(record, f.offset, *word);
}

}  // namespace

FieldValue readFieldValue(const KeyedField& k, std::span<const std::uint8_t> record)
{
    const Field& f = *k.field;
    switch (k.kind) {
    case KeyKind::Plain:
        if (f.width == Width::Bit)
            return static_cast<bool>((record[f.offset] >> f.bit) & 1);
        if (f.width == Width::Word)
            return static_cast<std::int64_t>(wordAt(record, f.offset));
        return static_cast<std::int64_t>(record[f.offset]);
    case KeyKind::Name:
        return decodeGameText(record);
    case KeyKind::ChestType:
        return std::string(chestTypeName(decodeChestContents(wordAt(record, f.offset)).type));
    case KeyKind::ChestValue:
        return static_cast<std::int64_t>(decodeChestContents(wordAt(record, f.offset)).value);
    case KeyKind::ChestContents:
        break;
    }
    return static_cast<std::int64_t>(wordAt(record, f.offset));
}

const std::string* valueLabel(const KeyedField& field, std::span<const std::uint8_t> record)
{
    if (field.list == ValueListId::None)
        return nullptr;
    if (field.kind == KeyKind::ChestValue
        && decodeChestContents(wordAt(record, field.field->offset)).type != ChestType::Item)
        return nullptr;
    const FieldValue value = readFieldValue(field, record);
    if (!std::holds_alternative<std::int64_t>(value))
        return nullptr;
    const auto list = valueList(field.list);
    const int entry = entryShowing(list, static_cast<int>(std::get<std::int64_t>(value)));
    return entry >= 0 ? &list[std::size_t(entry)].label : nullptr;
}

Bytes applyInputs(std::span<const std::uint8_t> record, std::span<const FieldInput> inputs,
                  std::vector<Refusal>& refusals, Notation notation)
{
    Bytes out(record.begin(), record.end());
    const FieldInput* chest[3] = {nullptr, nullptr, nullptr};
    for (const FieldInput& input : inputs) {
        const KeyedField& k = *input.field;
        Status stored = success();
        switch (k.kind) {
        case KeyKind::Plain:
            stored = storePlain(k, out, input.text, notation);
            break;
        case KeyKind::Name:
            stored = storeName(out, input.text);
            break;
        case KeyKind::ChestType:
            chest[0] = &input;
            break;
        case KeyKind::ChestValue:
            chest[1] = &input;
            break;
        case KeyKind::ChestContents:
            chest[2] = &input;
            break;
        }
        if (!stored)
            refusals.push_back({input.where, stored.error()});
    }
    if (chest[0] || chest[1] || chest[2])
        storeChest(out, chest[0], chest[1], chest[2], refusals, notation);
    return out;
}
