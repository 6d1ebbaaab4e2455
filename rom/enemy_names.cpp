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
    // the whole name table in one read: one opening and check of the file, not 256
    const std::size_t size = tables::enemyNames.recordSize;
    const std::size_t count = tables::enemyNames.count;
    auto table = image.read(tables::enemyNames.base, size * count);
    if (!table)
        return Result<std::vector<std::string>>::failure(table.error());
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(decodeGameText(std::span<const std::uint8_t>(*table).subspan(i * size, size)));
    return names;
}

Status writeEnemyName(const RomImage& image, int index, std::string_view name)
{
    auto position = namePosition(index);
    if (!position)
        return Status::failure(position.error());
    return WriteGameText(image, *position, name, tables::enemyNames.recordSize);
}
