#pragma once

#include "rom/numeric_text.h"
#include "rom/result.h"

#include <span>
#include <string>
#include <string_view>

// One entry of a value list: the label shown and the whole number it stands for.
struct ValueListEntry {
    std::string label;
    int value;
};

// What a value list shows: one of its entries, or (entry -1) a stored value
// that no entry stands for, shown as its bare number.
struct ValueChoice {
    int entry;
    int value;
};

// The choice that text typed over a value list stands for, given the choice
// shown before the typing. The label or the decimal number of an entry selects
// that entry (blanks around the text do not count); among entries that share
// a label or a number the one already shown wins, else the first. The bare
// number of the value shown without an entry keeps it. Anything else is
// refused, with a reason naming `fieldLabel` and the text. With `fit` Exact a
// label that entries of different values share, none of them shown, is
// refused too, naming their values.
Result<ValueChoice> resolveTypedValue(std::span<const ValueListEntry> entries, ValueChoice shown, std::string_view typed,
                                      std::string_view fieldLabel, ValueFit fit = ValueFit::Adjust);
