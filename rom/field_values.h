#pragma once

#include "rom/field_keys.h"
#include "rom/numeric_text.h"
#include "rom/rom_image.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

// A field's value as the tool shows it: a number (bytes, words, list fields
// by their stored number), a bit, or a text (names, the chest type).
using FieldValue = std::variant<std::int64_t, bool, std::string>;

FieldValue readFieldValue(const KeyedField& field, std::span<const std::uint8_t> record);

// The number a declared byte, word or bit field holds in `record`, as every
// front end shows it: the byte, the word unsigned (0..65535), or 0/1.
std::int64_t fieldNumber(const Field& field, std::span<const std::uint8_t> record);

// A list field's drop-down as a window holds it: the entries it offers (the
// label set in use) and the choice it shows.
struct ListShown {
    std::span<const ValueListEntry> entries;
    ValueChoice shown;
};

// Text given for one declared byte, word or bit field, stored in `record` by
// the field's rules, or the reason it cannot be: a bit takes true/false or
// 1/0; a list field's text is resolved over `list` (by default the field's
// declared list, showing the stored value, as after a read); a number runs
// through the field's entry rule (which has already run on a window's text,
// and changes it no further) and must then be a whole number of the field's
// width. With `fit` Exact a number the entry rule would change into another
// is refused, naming the range, as is a label that entries of different values
// share. The result is the choice a list field makes (for other fields: entry
// -1 and the value stored). Nothing is changed in `record` on a refusal.
Result<ValueChoice> storeFieldText(const Field& field, std::span<std::uint8_t> record, std::string_view text,
                                   Notation notation, ValueFit fit, const ListShown* list = nullptr);

// The label of the list entry that shows a list field's value in `record`, if
// any (a chest's value has one when the chest holds an item).
const std::string* valueLabel(const KeyedField& field, std::span<const std::uint8_t> record);

// One typed value for one field of an entry.
struct FieldInput {
    const KeyedField* field;
    std::string_view text;
};

// Why the input at position `input` cannot be stored.
struct InputRefusal {
    std::size_t input;
    std::string reason;
};

// A value that cannot be stored, and where it was given.
struct Refusal {
    std::string where;
    std::string reason;
};

// The record with every input of one entry stored in it, each by the rule its
// window applies: the entry rule and save conversion of a number field, the
// resolve rule of a list, true/false for a bit, the text codec for a name, the
// contents rule for a chest's type and value together. Each input that cannot
// be stored adds a refusal; the record returned is then not to be written.
// With `fit` Exact (a script's values) a number that a field's entry rule
// would clamp, and a label that list entries of different values share, are
// refused rather than adjusted.
Bytes applyInputs(std::span<const std::uint8_t> record, std::span<const FieldInput> inputs,
                  std::vector<InputRefusal>& refusals, Notation notation = Notation::Tool, ValueFit fit = ValueFit::Exact);
