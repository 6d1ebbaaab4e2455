#include "rom/entry_names.h"

#include "rom/label_data.h"

namespace {

struct ListSource {
    const Table* table;
    std::string_view labels;  // the file of data/ the list comes from
    int first;                // the line of that file for entry 0
};

// the item number of entry 0: weapons and item secondary data start at the
// null item, armor at 90 (body armor, an empty slot, helmets), accessories at
// 148, consumables and key items at 188
const ListSource kSources[] = {
    {&tables::characterSprites, "characters", 0},
    {&tables::npcSprites, "npcs", 0},
    {&tables::enemySpriteCreation, "enemies", 0},
    {&tables::enemyNames, "enemies", 0},
    {&tables::enemyStats, "enemies", 0},
    {&tables::enemyAiPointers, "enemies", 0},
    {&tables::enemyRewards, "enemies", 0},
    {&tables::weapons, "items", 0},
    {&tables::armor, "items", 90},
    {&tables::accessoryEffects, "items", 148},
    {&tables::accessoryEquip, "items", 148},
    {&tables::itemSecondary, "items", 0},
    {&tables::consumables, "items", 188},
    {&tables::gatoSlot, "gato_place", 0},
};

}  // namespace

std::string entryListText(const Table& table, int index)
{
    if (&table == &tables::chests)
        return "Chest Number : " + std::to_string(index);
    for (const ListSource& source : kSources) {
        if (source.table != &table)
            continue;
        const std::vector<std::string>& lines = builtinLabels(source.labels);
        const long line = long(source.first) + index;
        if (index >= 0 && line < long(lines.size()))
            return lines[std::size_t(line)];
    }
    return std::to_string(index);
}

std::string tableCaption(const Table& table)
{
    std::string caption(table.name);
    if (!caption.empty() && caption[0] >= 'a' && caption[0] <= 'z')
        caption[0] = static_cast<char>(caption[0] - 'a' + 'A');
    return caption;
}
