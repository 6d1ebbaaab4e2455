#include "rom/value_resolve.h"

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The tool's "0x" numbers are compared as the decimal numbers they stand for.
std::string asDecimal(std::string_view text, Notation notation)
{
    const std::string_view t = trimmed(text);
    if (notation == Notation::Tool && t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        if (auto v = numericValue(t, notation); v && *v <= 2147483647.0)
            return std::to_string(static_cast<long long>(*v));
    return std::string(text);
}

}  // namespace

const ValueEntry* entryShowing(std::span<const ValueEntry> list, int stored)
{
    for (const ValueEntry& entry : list)
        if (entry.value == stored)
            return &entry;
    return nullptr;
}

std::string notAnEntryReason(std::string_view label, std::string_view typed)
{
    return std::string(label) + ": \"" + std::string(typed)
           + "\" is not an entry of the list. Choose an entry, or type the label or the number of one.";
}

Result<int> resolveListValue(std::span<const ValueEntry> list, std::string_view typed, int stored,
                             std::string_view label, Notation notation)
{
    const ValueEntry* shown = entryShowing(list, stored);
    if (shown && typed == shown->label)
        return stored;
    const std::string number = asDecimal(typed, notation);
    if (!shown && number == std::to_string(stored))
        return stored;  // a stored number that no entry stands for, kept as read
    const std::string_view trimmedText = trimmed(typed);
    if (shown && trimmed(shown->label) == trimmedText)
        return stored;
    for (const ValueEntry& entry : list)
        if (entry.label == typed || trimmed(entry.label) == trimmedText)
            return entry.value;
    const std::string_view trimmedNumber = trimmed(number);
    for (const ValueEntry& entry : list)
        if (std::to_string(entry.value) == trimmedNumber)
            return entry.value;
    return Result<int>::failure(notAnEntryReason(label, typed));
}
