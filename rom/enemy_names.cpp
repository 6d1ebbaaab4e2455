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

// UTF-8 characters, a broken sequence counting as one character of its own
std::vector<std::string_view> characters(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        len = std::min(len, text.size() - i);
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
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

Status checkGameText(std::string_view text, std::size_t length, std::string_view label)
{
    const auto chars = characters(text);
    if (chars.size() > length)
        return Status::failure(std::string(label) + " \"" + std::string(text) + "\" has " + std::to_string(chars.size())
                               + " characters; the slot holds " + std::to_string(length) + ".");
    const auto& table = CharTable();
    for (std::string_view c : chars) {
        bool found = false;
        for (std::string_view code : table)
            found = found || (!code.empty() && code == c);
        if (!found)
            return Status::failure(std::string(label) + " \"" + std::string(text) + "\": the character \"" + std::string(c)
                                   + "\" has no code in the game's text.");
    }
    return success();
}
