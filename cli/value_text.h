#pragma once

#include "rom/change_text.h"
#include "rom/field_values.h"

#include <nlohmann/json.hpp>

#include <string>

using Json = nlohmann::ordered_json;

// How values appear in the tool's output.

// As a CSV cell or typed value: the number, true/false, or the text itself.
std::string plainText(const FieldValue& value);

// For people: names quoted (their trailing blanks count), a list field's
// number followed by its entry's label in brackets.
std::string shownText(const KeyedField& field, const FieldValue& value, const std::string* label);
std::string shownText(const KeyedField& field, std::span<const std::uint8_t> record);

Json jsonValue(const FieldValue& value);

