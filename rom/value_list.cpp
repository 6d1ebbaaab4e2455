#include "rom/value_list.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The entry matched by `matches`: the shown one when it matches, else the
// first. Without a shown match, `values` gets the distinct values of every
// entry that matches.
template <typename Match>
std::optional<int> findEntry(std::span<const ValueListEntry> entries, int shownEntry, Match matches, std::vector<int>& values)
{
    values.clear();
    if (shownEntry >= 0 && std::size_t(shownEntry) < entries.size() && matches(entries[std::size_t(shownEntry)]))
        return shownEntry;
    std::optional<int> first;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!matches(entries[i]))
            continue;
        if (!first)
            first = static_cast<int>(i);
        if (std::find(values.begin(), values.end(), entries[i].value) == values.end())
            values.push_back(entries[i].value);
    }
    return first;
}

std::string sharedLabelReason(std::string_view fieldLabel, std::string_view typed, const std::vector<int>& values)
{
    std::string numbers;
    for (std::size_t i = 0; i < values.size(); ++i)
        numbers += (i == 0 ? "" : i + 1 == values.size() ? " and " : ", ") + std::to_string(values[i]);
    return std::string(fieldLabel) + ": \"" + std::string(typed) + "\" is the label of " + numbers
           + "; give the number of the one meant.";
}

}  // namespace

Result<ValueChoice> resolveTypedValue(std::span<const ValueListEntry> entries, ValueChoice shown, std::string_view typed,
                                      std::string_view fieldLabel, ValueFit fit)
{
    const std::string_view text = trimmed(typed);
    std::vector<int> values;
    // a label several entries share stands for one value only where the entry shown is among them
    const auto choose = [&](int entry) -> Result<ValueChoice> {
        if (fit == ValueFit::Exact && values.size() > 1)
            return Result<ValueChoice>::failure(sharedLabelReason(fieldLabel, typed, values));
        return ValueChoice{entry, entries[std::size_t(entry)].value};
    };
    // labels first, exactly as typed, then without the blanks some labels end in
    if (auto exact = findEntry(entries, shown.entry, [&](const ValueListEntry& e) { return e.label == typed; }, values))
        return choose(*exact);
    if (!text.empty()) {
        if (auto loose = findEntry(entries, shown.entry, [&](const ValueListEntry& e) { return trimmed(e.label) == text; },
                                   values))
            return choose(*loose);
        if (auto number = findEntry(entries, shown.entry,
                                    [&](const ValueListEntry& e) { return std::to_string(e.value) == text; }, values))
            return choose(*number);
        if (shown.entry < 0 && std::to_string(shown.value) == text)
            return shown;  // a stored value that no entry stands for, kept as read
    }
    return Result<ValueChoice>::failure(std::string(fieldLabel) + ": \"" + std::string(typed)
                                        + "\" is not an entry of the list. Choose an entry, or type the label or the "
                                          "number of one.");
}
