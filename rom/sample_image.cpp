#include "rom/sample_image.h"

#include "rom/files.h"
#include "rom/game_text.h"
#include "rom/image_facts.h"
#include "rom/tables.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

class Noise {
public:
    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 24); }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint32_t m_state = 0x5EED1234u;
};

std::uint8_t* recordAt(Bytes& image, const Table& table, int index)
{
    return image.data() + *recordPosition(table, index);
}

void fillNames(Bytes& image, Noise& noise)
{
    static constexpr std::array<std::string_view, 8> stems{"Grub", "Imp", "Wisp", "Shade", "Golem", "Bat", "Knave", "Ooze"};
    for (int i = 0; i < tables::enemyNames.count; ++i) {
        std::string name = std::string(stems[noise.below(stems.size())]) + " " + std::to_string(i);
        if (i % 17 == 5)
            name = "Ol'" + name.substr(0, 8);
        encodeGameText(name, std::span(recordAt(image, tables::enemyNames, i), tables::enemyNames.recordSize));
    }
}

void fillEquipment(Bytes& image, Noise& noise)
{
    static constexpr std::array<std::uint8_t, 15> weaponEffects{0, 2, 12, 13, 22, 24, 25, 36, 38, 39, 40, 41, 46, 47, 56};
    for (int i = 0; i < tables::weapons.count; ++i) {
        std::uint8_t* r = recordAt(image, tables::weapons, i);
        r[1] = (i % 9 == 0) ? 3 : 0;
        r[3] = (i % 11 == 7) ? 5 : weaponEffects[noise.below(weaponEffects.size())];
        r[4] = (i % 13 == 4) ? 2 : (r[3] != 0);
    }
    static constexpr std::array<std::uint8_t, 17> armorEffects{0, 23, 26, 27, 28, 29, 31, 32, 33, 34, 42, 43, 44, 45, 49, 50, 51};
    for (int i = 0; i < tables::armor.count; ++i) {
        std::uint8_t* r = recordAt(image, tables::armor, i);
        r[1] = (i % 10 == 6) ? 30 : armorEffects[noise.below(armorEffects.size())];
        r[2] = r[1] != 0;
    }
}

void fillEnemies(Bytes& image, Noise& noise)
{
    for (int i = 0; i < tables::enemyStats.count; ++i) {
        std::uint8_t* r = recordAt(image, tables::enemyStats, i);
        r[22] = static_cast<std::uint8_t>(i % 25);  // 23 and 24 have no Hit Effect entry
        std::uint8_t* reward = recordAt(image, tables::enemyRewards, i);
        reward[4] = static_cast<std::uint8_t>(noise.below(4) == 0 ? 0 : noise.byte());
    }
}

void fillChests(Bytes& image, Noise& noise)
{
    for (int i = 0; i < tables::chests.count; ++i) {
        std::uint8_t* r = recordAt(image, tables::chests, i);
        std::uint16_t word = 0;
        switch (i % 4) {
        case 0: word = 0x8000 | static_cast<std::uint16_t>(noise.below(0x8000)); break;  // gold
        case 1: word = 0x4000 | static_cast<std::uint16_t>(noise.below(0x4000)); break;  // event
        case 2: word = static_cast<std::uint16_t>(1 + noise.below(259)); break;          // item
        default: word = static_cast<std::uint16_t>(noise.below(260) | (i % 8 == 3 ? 0x2600 : 0)); break;
        }
        putWord(std::span(r, 4), 2, word);
    }
}

// A plausible internal header with a checksum that matches the contents.
void fillInternalHeader(Bytes& image)
{
    const std::string_view title = "VELDRA SAGA SAMPLE   ";
    std::copy(title.begin(), title.end(), image.begin() + kInternalHeaderPosition);
    image[kMapModePosition] = 0x31;  // fast, high-mapped
    image[kRomSizePosition] = 0x0C;  // 1 KiB << 12 = 4 MiB
    const auto fields = checksumFieldBytes(computeChecksum(image));
    std::copy(fields.begin(), fields.end(), image.begin() + kComplementPosition);
}

}  // namespace

Bytes makeSampleImage()
{
    Bytes image(kImageSize);
    Noise noise;
    for (auto& b : image)
        b = noise.byte();
    const auto id = static_cast<std::uint32_t>(kIdentityValue);
    for (int k = 0; k < 4; ++k)
        image[kIdentityPosition + k] = static_cast<std::uint8_t>(id >> (8 * k));
    fillNames(image, noise);
    fillEquipment(image, noise);
    fillEnemies(image, noise);
    fillChests(image, noise);
    *recordAt(image, tables::gatoSlot, 0) = 0x92;
    fillInternalHeader(image);  // last: the checksum covers everything above
    return image;
}

Status writeSampleImage(const std::filesystem::path& path)
{
    // a new file only: the path may well name someone's real image
    return writeNewFile(path, makeSampleImage(), Existing::Refuse);
}
