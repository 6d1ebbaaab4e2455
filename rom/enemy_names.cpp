#include "rom/enemy_names.h"

#include "rom/game_text.h"
#include "rom/tables.h"

namespace {

Result<std::int32_t> namePosition(int index)
{
    auto position = recordPosition(tables::enemyNames, index);
    if (!position)
        return Result<std::int32_t>::failure(position.error());
    return static_cast<std::int32_t>(*position);
}

}  // namespace

Result<std::string> readEnemyName(const RomImage& image, int index)
{
    auto position = namePosition(index);
    if (!position)
        return Result<std::string>::failure(position.error());
    return ReadGameText(image, *position, tables::enemyNames.recordSize);
}

Result<std::vector<std::string>> readEnemyNames(const RomImage& image)
{
    std::vector<std::string> names;
    for (int i = 0; i < tables::enemyNames.count; ++i) {
        auto name = readEnemyName(image, i);
        if (!name)
            return Result<std::vector<std::string>>::failure(name.error());
        names.push_back(*name);
    }
    return names;
}

Status writeEnemyName(const RomImage& image, int index, std::string_view name)
{
    auto position = namePosition(index);
    if (!position)
        return Status::failure(position.error());
    return WriteGameText(image, *position, name, tables::enemyNames.recordSize);
}
