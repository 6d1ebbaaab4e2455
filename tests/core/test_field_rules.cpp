#include "rom/chest_contents.h"
#include "rom/field_keys.h"
#include "rom/field_lists.h"
#include "rom/game_text.h"
#include "rom/label_data.h"
#include "rom/tables.h"

#include <doctest/doctest.h>

#include <set>
#include <string>

// The rules of the core that the command-line tool names and checks values by,
// where a case is plainer as a function call than through the tool.

TEST_CASE("keysComeFromLabels")
{
    struct Row {
        const char* name;
        std::string label;
        std::string key;
    };
    const Row rows[] = {
        {"words", "Sprite Starting Location", "sprite-starting-location"},
        {"sign at the end", "Hit %", "hit"},
        {"number", "PC 7", "pc-7"},
        {"punctuation first", "???, Always 0", "always-0"},
        {"question mark", "Immunity Bytflag?", "immunity-bytflag"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& label = row.label;
        const auto& key = row.key;

        REQUIRE_EQ(keyFromLabel(label), key);
    }
}

TEST_CASE("everyKeyAndControlNamesOneField")
{
    for (const KeyedTable& table : keyedTables()) {
        std::set<std::string> keys;
        for (const KeyedField& field : table.fields) {
            INFO(field.key);
            REQUIRE(keys.insert(field.key).second);
            REQUIRE_EQ(table.find(field.key), &field);
            if (!field.control.empty())
                REQUIRE_EQ(table.find(field.control)->field, field.field);
        }
    }
}

// a field's key is its label under the rule above, so that a user can tell
// the key of a field from the window's caption
TEST_CASE("declaredKeysFollowTheirLabels")
{
    for (const Table* table : tables::all())
        for (const Field& f : table->fields) {
            INFO(std::string(table->key) + " " + std::string(f.name));
            const std::string expected = f.width == Width::Text ? "name" : keyFromLabel(f.label);
            REQUIRE_EQ(std::string(f.key), expected);
        }
}

// the equip bits hold PC 1 in the highest bit; the tool names each by the
// label of its character, as the windows caption its check box
TEST_CASE("equipBitsAreCaptionedByTheirCharacter")
{
    const std::vector<std::string>& characters = builtinLabels("characters");
    int captioned = 0;
    for (const KeyedTable* table : {findKeyedTable("accessory-equip"), findKeyedTable("item-secondary")})
        for (const Field& f : tables::equipFlags()) {
            const KeyedField* keyed = table->find(f.name);
            REQUIRE(keyed);
            if (f.name == "Ignored") {
                REQUIRE_EQ(int(f.character), -1);
                REQUIRE_EQ(keyed->label, std::string("Ignored"));
                continue;
            }
            REQUIRE_EQ(int(f.character), 7 - f.bit);
            REQUIRE_EQ(keyed->label, characters.at(std::size_t(f.character)));
            ++captioned;
        }
    REQUIRE_EQ(captioned, 14);
}

TEST_CASE("listTextResolvesAsInTheWindows")
{
    const auto effects = valueList(ValueListId::WeaponEffects);
    REQUIRE_EQ(*resolveStoredValue(effects, "Random 'slow'", 0, "Inflicted Status"), 39);
    REQUIRE_EQ(*resolveStoredValue(effects, "Random 'stop'", 38, "Inflicted Status"), 38);  // the entry shown wins
    REQUIRE_EQ(*resolveStoredValue(effects, "Random 'stop'", 0, "Inflicted Status"), 36);
    REQUIRE_EQ(*resolveStoredValue(effects, "39", 0, "Inflicted Status"), 39);
    REQUIRE_EQ(*resolveStoredValue(effects, "5", 5, "Inflicted Status"), 5);  // no entry stands for 5: kept as read
    REQUIRE(!resolveStoredValue(effects, "5", 0, "Inflicted Status"));
    // the tool's 0x numbers, refused as they were typed
    REQUIRE_EQ(*resolveStoredValue(effects, "0x27", 0, "Inflicted Status", Notation::Tool), 39);
    REQUIRE(!resolveStoredValue(effects, "0x27", 0, "Inflicted Status"));
    const auto refused = resolveStoredValue(effects, "0x99", 0, "Inflicted Status", Notation::Tool);
    REQUIRE_EQ(refused.error(), std::string("Inflicted Status: \"0x99\" is not an entry of the list. Choose an entry, or "
                                          "type the label or the number of one."));
    // an item byte cannot name the last four items: their labels stand for 0
    REQUIRE_EQ(*resolveStoredValue(valueList(ValueListId::ItemBytes), valueList(ValueListId::Items)[259].label, 7, "Dropped Item"),
             0);
}

TEST_CASE("chestWordsRoundTrip")
{
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        const ChestContents c = decodeChestContents(static_cast<std::uint16_t>(word));
        const auto again = encodeChestContents(c.type == ChestType::Gold, c.type == ChestType::Event,
                                               std::to_string(c.value), static_cast<std::uint16_t>(word));
        REQUIRE(again.ok());
        REQUIRE_EQ(*again, std::uint16_t(word));  // saving a chest untouched gives back its word, hidden bits and all
    }
    REQUIRE_EQ(*chestTypeFromText(" None (event) "), ChestType::Event);
    REQUIRE_EQ(*chestTypeFromText("GOLD"), ChestType::Gold);
    REQUIRE(!chestTypeFromText("silver"));
    REQUIRE_EQ(*resolveChestItem("300", 0), 300);
    REQUIRE_EQ(*resolveChestItem("&H10", 0), 16);
    REQUIRE(!resolveChestItem("512", 0));
}

TEST_CASE("namesCheckedAgainstTheCodec")
{
    REQUIRE(checkGameText("Ol'Imp, 2!", 11, "Enemy Name").ok());
    REQUIRE(checkGameText("ElevenChars", 11, "Enemy Name").ok());
    REQUIRE(!checkGameText("TwelveChars!", 11, "Enemy Name"));
    REQUIRE(checkGameText("Caf\xC3\xA9", 11, "Enemy Name").error().find("\"\xC3\xA9\"") != std::string::npos);
    REQUIRE(!checkGameText("a-b", 11, "Enemy Name"));
}

