#include "rom/field_keys.h"

#include "rom/chest_contents.h"

#include <algorithm>

namespace {

std::string_view widthName(Width width)
{
    switch (width) {
    case Width::Byte:
        return "byte";
    case Width::Word:
        return "word";
    case Width::Bit:
        return "bit";
    case Width::Text:
        break;
    }
    return "text";
}

KeyedField plainField(const Field& f)
{
    KeyedField k{std::string(f.key), std::string(f.name), fieldCaption(f), &f, KeyKind::Plain,
                 widthName(f.width), std::nullopt, std::nullopt, f.list, true};
    switch (f.width) {
    case Width::Byte:
        k.min = 0, k.max = 255;
        break;
    case Width::Word:
        k.min = 0, k.max = 65535;
        break;
    case Width::Bit:
        k.min = 0, k.max = 1;
        break;
    case Width::Text:
        k.kind = KeyKind::Name;
        break;
    }
    return k;
}

// the chest window's view of a chest record
std::vector<KeyedField> chestFields(const Table& table)
{
    const Field& x = *table.field("c1");
    const Field& y = *table.field("c2");
    const Field& word = *table.field("Text1");
    std::vector<KeyedField> fields{plainField(x), plainField(y)};
    fields.push_back({"type", "", "Treasure Type", &word, KeyKind::ChestType, "text", std::nullopt, std::nullopt,
                      ValueListId::None, true});
    // the value box Text1 carries the value of every type
    fields.push_back({"value", "Text1", "Value", &word, KeyKind::ChestValue, "word", 0, kMaxChestGoldOrEvent,
                      ValueListId::Items, true});
    fields.push_back({"contents", "", std::string(word.label), &word, KeyKind::ChestContents, "word", 0, 65535,
                      ValueListId::None, false});
    return fields;
}

KeyedTable keyed(const Table& table)
{
    KeyedTable t{&table, {}};
    if (&table == &tables::chests) {
        t.fields = chestFields(table);
        return t;
    }
    for (const Field& f : table.fields)
        t.fields.push_back(plainField(f));
    return t;
}

}  // namespace

std::string keyFromLabel(std::string_view label)
{
    std::string key;
    bool gap = false;
    for (char c : label) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if ((lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9')) {
            if (gap && !key.empty())
                key += '-';
            key += lower;
            gap = false;
        } else {
            gap = true;
        }
    }
    return key;
}

const KeyedField* KeyedTable::find(std::string_view keyOrControl) const
{
    for (const KeyedField& f : fields)
        if (f.key == keyOrControl)
            return &f;
    for (const KeyedField& f : fields)
        if (!f.control.empty() && f.control == keyOrControl)
            return &f;
    return nullptr;
}

std::span<const KeyedTable> keyedTables()
{
    static const std::vector<KeyedTable> all = [] {
        std::vector<KeyedTable> list;
        for (const Table* table : tables::all())
            list.push_back(keyed(*table));
        return list;
    }();
    return all;
}

const KeyedTable* findKeyedTable(std::string_view key)
{
    for (const KeyedTable& t : keyedTables())
        if (t.key() == key)
            return &t;
    return nullptr;
}
