#include "rom/chest_contents.h"

#include "rom/field_lists.h"

#include <cctype>
#include <string>

namespace {

constexpr std::uint16_t kGoldFlag = 0x8000;
constexpr std::uint16_t kEventFlag = 0x4000;
constexpr std::uint16_t kGoldMask = 0x7FFF;
constexpr std::uint16_t kItemMask = 0x01FF;
constexpr std::uint16_t kItemUnshownBits = 0x3E00;  // bits 9..13 of an item chest

}  // namespace

ChestContents decodeChestContents(std::uint16_t word)
{
    if (word & kGoldFlag)
        return {ChestType::Gold, word & kGoldMask};
    if (word & kEventFlag)
        return {ChestType::Event, word};
    return {ChestType::Item, word & kItemMask};
}

std::string_view chestTypeName(ChestType type)
{
    switch (type) {
    case ChestType::Gold:
        return "gold";
    case ChestType::Event:
        return "event";
    case ChestType::Item:
        break;
    }
    return "item";
}

std::span<const ChestTypeEntry> chestTypes()
{
    static constexpr ChestTypeEntry types[] = {
        {ChestType::Gold, "gold", "Gold"},
        {ChestType::Event, "event", "None (event)"},
        {ChestType::Item, "item", "Item"},
    };
    return types;
}

std::optional<ChestType> chestTypeFromText(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    const auto same = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    };
    for (const ChestTypeEntry& entry : chestTypes())
        if (same(text, entry.name) || same(text, entry.caption))
            return entry.type;
    return std::nullopt;
}

Result<std::uint16_t> encodeChestContents(bool gold, bool event, std::string_view valueText, std::uint16_t before,
                                          Notation notation)
{
    std::uint16_t word = (gold ? kGoldFlag : 0) | (event ? kEventFlag : 0);
    const char* what = gold ? "The gold amount" : event ? "The event word" : "The item number";
    const int max = gold || event ? kMaxChestGoldOrEvent : kMaxChestItem;
    const auto value = wholeFromText(valueText, what, 0, max, notation);
    if (!value)
        return Result<std::uint16_t>::failure(value.error());
    word |= static_cast<std::uint16_t>(*value);
    const bool wasItem = (before & (kGoldFlag | kEventFlag)) == 0;
    if (!gold && !event && wasItem)
        word |= before & kItemUnshownBits;
    return word;
}

Result<int> resolveChestItem(std::string_view typed, int shown, Notation notation, ValueFit fit)
{
    const auto items = valueList(ValueListId::Items);
    const auto entry = resolveStoredValue(items, typed, shown, kChestItemCaption, notation, fit);
    if (entry)
        return *entry;
    if (auto number = wholeFromText(typed, "", 0, kMaxChestItem, notation))
        return static_cast<int>(*number);
    // a label that several items share: the list's own reason names them
    if (fit == ValueFit::Exact && resolveStoredValue(items, typed, shown, kChestItemCaption, notation))
        return Result<int>::failure(entry.error());
    return Result<int>::failure(std::string(kChestItemCaption) + ": \"" + std::string(typed)
                                + "\" is neither an entry of the list nor an item number from 0 to "
                                + std::to_string(kMaxChestItem)
                                + ". Choose an entry, or type the label or the number of one.");
}
