#include "rom/value_list.h"

#include <optional>

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The entry matched by `matches`: the shown one when it matches, else the first.
template <typename Match>
std::optional<int> findEntry(std::span<const ValueListEntry> entries, int shownEntry, Match matches)
{
    if (shownEntry >= 0 && std::size_t(shownEntry) < entries.size() && matches(entries[std::size_t(shownEntry)]))
        return shownEntry;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (matches(entries[i]))
            return static_cast<int>(i);
    return std::nullopt;
}

}  // namespace

Result<ValueChoice> resolveTypedValue(std::span<const ValueListEntry> entries, ValueChoice shown, std::string_view typed,
                                      std::string_view fieldLabel)
{
    const std::string_view text = trimmed(typed);
    const auto choose = [&](int entry) { return ValueChoice{entry, entries[std::size_t(entry)].value}; };
    // labels first, exactly as typed, then without the blanks some labels end in
    if (auto exact = findEntry(entries, shown.entry, [&](const ValueListEntry& e) { return e.label == typed; }))
        return choose(*exact);
    if (!text.empty()) {
        if (auto loose = findEntry(entries, shown.entry, [&](const ValueListEntry& e) { return trimmed(e.label) == text; }))
            return choose(*loose);
        if (auto number = findEntry(entries, shown.entry,
                                    [&](const ValueListEntry& e) { return std::to_string(e.value) == text; }))
            return choose(*number);
        if (shown.entry < 0 && std::to_string(shown.value) == text)
            return shown;  // a stored value that no entry stands for, kept as read
    }
    return Result<ValueChoice>::failure(std::string(fieldLabel) + ": \"" + std::string(typed)
                                        + "\" is not an entry of the list. Choose an entry, or type the label or the "
                                          "number of one.");
}
