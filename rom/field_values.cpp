#include "rom/field_values.h"

#include "rom/chest_contents.h"
#include "rom/enemy_names.h"
#include "rom/game_text.h"
#include "rom/rom_image.h"
#include "rom/field_lists.h"

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

// A number that the field's entry rule would turn into another (300 into 255
// in a clamped byte field): refused where the value must be stored as given.
// An empty text, which the rule makes 0, is left to the rule.
Status outsideRange(const KeyedField& k, std::string_view text, const std::string& ruled, Notation notation)
{
    if (ruled == text || text.find_first_not_of(" \t") == std::string_view::npos)
        return success();
    const auto typed = numericValue(text, notation);
    const auto kept = numericValue(ruled, notation);
    if (!typed || !kept || roundHalfEven(*typed) == roundHalfEven(*kept))
        return success();
    const std::size_t first = text.find_first_not_of(" \t");
    const std::string shown(text.substr(first, text.find_last_not_of(" \t") - first + 1));
    return Status::failure(k.label + ": " + shown + " is outside " + std::to_string(k.min.value_or(0)) + ".."
                           + std::to_string(k.max.value_or(0)) + ".");
}

Status storePlain(const KeyedField& k, Bytes& record, std::string_view text, Notation notation, ValueFit fit)
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
        auto value = resolveStoredValue(valueList(f.list), text, record[f.offset], f.label, notation, fit);
        if (!value)
            return Status::failure(value.error());
        record[f.offset] = static_cast<std::uint8_t>(*value);
        return success();
    }
    const std::string ruled = applyEntryRule(f.rule, text, notation);
    if (fit == ValueFit::Exact)
        if (Status kept = outsideRange(k, text, ruled, notation); !kept)
            return kept;
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

Status storeName(Bytes& record, std::string_view text)
{
    // an unchanged name keeps its bytes, even those the codec cannot reproduce
    if (decodeGameText(record) == text)
        return success();
    if (Status fits = checkGameText(text, record.size(), kEnemyNameLabel); !fits)
        return fits;
    encodeGameText(text, record);
    return success();
}

// The type and value of a chest are stored together, as its window's Save
// does. Inputs are given by their position among the entry's inputs.
void storeChest(Bytes& record, std::span<const FieldInput> inputs, const int (&at)[3],
                std::vector<InputRefusal>& refusals, Notation notation, ValueFit fit)
{
    const int typeAt = at[0], valueAt = at[1], contentsAt = at[2];
    const Field& f = *inputs[std::size_t(std::max({typeAt, valueAt, contentsAt}))].field->field;
    const std::uint16_t before = wordAt(record, f.offset);
    const ChestContents current = decodeChestContents(before);
    const auto refuse = [&](int input, std::string reason) { refusals.push_back({std::size_t(input), std::move(reason)}); };
    // the raw word is shown beside type and value: it may be given as it is,
    // or as type and value make it, never as a change of its own
    const auto contentsRefused = [&](std::uint16_t made) {
        if (contentsAt < 0)
            return false;
        const auto given = wholeFromText(inputs[std::size_t(contentsAt)].text, f.label, 0, 65535, notation);
        if (given && (*given == before || *given == made))
            return false;
        refuse(contentsAt, "Contents is shown, not settable: set type and value instead.");
        return true;
    };
    if (typeAt < 0 && valueAt < 0) {
        contentsRefused(before);
        return;
    }
    ChestType newType = current.type;
    if (typeAt >= 0) {
        const std::string_view typed = inputs[std::size_t(typeAt)].text;
        const auto parsed = chestTypeFromText(typed);
        if (!parsed) {
            refuse(typeAt, "Treasure Type must be gold, event or item; it holds \"" + std::string(typed) + "\".");
            return;
        }
        newType = *parsed;
    }
    std::string valueText = valueAt >= 0 ? std::string(inputs[std::size_t(valueAt)].text) : std::to_string(current.value);
    const int where = valueAt >= 0 ? valueAt : typeAt;
    if (valueAt >= 0 && newType == ChestType::Item) {
        auto item = resolveChestItem(valueText, current.type == ChestType::Item ? current.value : 0, notation, fit);
        if (!item) {
            refuse(where, item.error());
            return;
        }
        valueText = std::to_string(*item);
    }
    auto word = encodeChestContents(newType == ChestType::Gold, newType == ChestType::Event, valueText, before, notation);
    if (!word) {
        refuse(where, word.error());
        return;
    }
    if (!contentsRefused(*word))
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
                  std::vector<InputRefusal>& refusals, Notation notation, ValueFit fit)
{
    Bytes out(record.begin(), record.end());
    int chest[3] = {-1, -1, -1};  // type, value, contents
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const KeyedField& k = *inputs[i].field;
        Status stored = success();
        switch (k.kind) {
        case KeyKind::Plain:
            stored = storePlain(k, out, inputs[i].text, notation, fit);
            break;
        case KeyKind::Name:
            stored = storeName(out, inputs[i].text);
            break;
        case KeyKind::ChestType:
            chest[0] = static_cast<int>(i);
            break;
        case KeyKind::ChestValue:
            chest[1] = static_cast<int>(i);
            break;
        case KeyKind::ChestContents:
            chest[2] = static_cast<int>(i);
            break;
        }
        if (!stored)
            refusals.push_back({i, stored.error()});
    }
    if (chest[0] >= 0 || chest[1] >= 0 || chest[2] >= 0)
        storeChest(out, inputs, chest, refusals, notation, fit);
    return out;
}
