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
