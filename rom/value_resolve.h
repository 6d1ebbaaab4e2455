#pragma once

#include "rom/numeric_text.h"
#include "rom/result.h"
#include "rom/value_lists.h"

#include <span>
#include <string>
#include <string_view>

// The value that text typed for a value drop-down stands for, given the
// value stored now. The label of an entry (as it is, or once blanks around
// both are trimmed) or the decimal number of an entry's value picks that
// entry; when several entries share the label, the entry that shows the
// stored value wins, else the first. The bare number of a stored value that
// no entry stands for is kept. Anything else is refused, naming `label`.
Result<int> resolveListValue(std::span<const ValueEntry> list, std::string_view typed, int stored,
                             std::string_view label, Notation notation = Notation::Window);

// The reason given when typed text is no entry of a list.
std::string notAnEntryReason(std::string_view label, std::string_view typed);

// The entry that shows a stored value: the first whose value it is.
const ValueEntry* entryShowing(std::span<const ValueEntry> list, int stored);
