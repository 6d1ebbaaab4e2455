#include "rom/chest_contents.h"
#include "rom/field_keys.h"
#include "rom/field_lists.h"
#include "rom/game_text.h"
#include "rom/label_data.h"

#include <QTest>

// The rules of the core that the command-line tool names and checks values by,
// where a case is plainer as a function call than through the tool.
class FieldRulesTest : public QObject {
    Q_OBJECT
private slots:
    void keysComeFromLabels_data();
    void keysComeFromLabels();
    void everyKeyAndControlNamesOneField();
    void declaredKeysFollowTheirLabels();
    void equipBitsAreCaptionedByTheirCharacter();
    void listTextResolvesAsInTheWindows();
    void chestWordsRoundTrip();
    void namesCheckedAgainstTheCodec();
};

void FieldRulesTest::keysComeFromLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("key");
    QTest::newRow("words") << "Sprite Starting Location" << "sprite-starting-location";
    QTest::newRow("sign at the end") << "Hit %" << "hit";
    QTest::newRow("number") << "PC 7" << "pc-7";
    QTest::newRow("punctuation first") << "???, Always 0" << "always-0";
    QTest::newRow("question mark") << "Immunity Bytflag?" << "immunity-bytflag";
}

void FieldRulesTest::keysComeFromLabels()
{
    QFETCH(QString, label);
    QFETCH(QString, key);
    QCOMPARE(QString::fromStdString(keyFromLabel(label.toStdString())), key);
}

void FieldRulesTest::everyKeyAndControlNamesOneField()
{
    for (const KeyedTable& table : keyedTables()) {
        QStringList keys;
        for (const KeyedField& field : table.fields) {
            const QString key = QString::fromStdString(field.key);
            QVERIFY2(!keys.contains(key), qPrintable(key));
            keys << key;
            QCOMPARE(table.find(field.key), &field);
            if (!field.control.empty())
                QCOMPARE(table.find(field.control)->field, field.field);
        }
    }
}

// a field's key is its label under the rule above, so that a user can tell
// the key of a field from the window's caption
void FieldRulesTest::declaredKeysFollowTheirLabels()
{
    for (const Table* table : tables::all())
        for (const Field& f : table->fields) {
            const std::string expected = f.width == Width::Text ? "name" : keyFromLabel(f.label);
            QVERIFY2(f.key == expected, qPrintable(QString::fromStdString(std::string(table->key) + " " + std::string(f.name))));
        }
}

// the equip bits hold PC 1 in the highest bit; the tool names each by the
// label of its character, as the windows caption its check box
void FieldRulesTest::equipBitsAreCaptionedByTheirCharacter()
{
    const std::vector<std::string>& characters = builtinLabels("characters");
    int captioned = 0;
    for (const KeyedTable* table : {findKeyedTable("accessory-equip"), findKeyedTable("item-secondary")})
        for (const Field& f : tables::equipFlags()) {
            const KeyedField* keyed = table->find(f.name);
            QVERIFY(keyed);
            if (f.name == "Ignored") {
                QCOMPARE(f.character, std::int8_t(-1));
                QCOMPARE(keyed->label, std::string("Ignored"));
                continue;
            }
            QCOMPARE(int(f.character), 7 - f.bit);
            QCOMPARE(keyed->label, characters.at(std::size_t(f.character)));
            ++captioned;
        }
    QCOMPARE(captioned, 14);
}

void FieldRulesTest::listTextResolvesAsInTheWindows()
{
    const auto effects = valueList(ValueListId::WeaponEffects);
    QCOMPARE(*resolveStoredValue(effects, "Random 'slow'", 0, "Inflicted Status"), 39);
    QCOMPARE(*resolveStoredValue(effects, "Random 'stop'", 38, "Inflicted Status"), 38);  // the entry shown wins
    QCOMPARE(*resolveStoredValue(effects, "Random 'stop'", 0, "Inflicted Status"), 36);
    QCOMPARE(*resolveStoredValue(effects, "39", 0, "Inflicted Status"), 39);
    QCOMPARE(*resolveStoredValue(effects, "5", 5, "Inflicted Status"), 5);  // no entry stands for 5: kept as read
    QVERIFY(!resolveStoredValue(effects, "5", 0, "Inflicted Status"));
    // the tool's 0x numbers, refused as they were typed
    QCOMPARE(*resolveStoredValue(effects, "0x27", 0, "Inflicted Status", Notation::Tool), 39);
    QVERIFY(!resolveStoredValue(effects, "0x27", 0, "Inflicted Status"));
    const auto refused = resolveStoredValue(effects, "0x99", 0, "Inflicted Status", Notation::Tool);
    QCOMPARE(refused.error(), std::string("Inflicted Status: \"0x99\" is not an entry of the list. Choose an entry, or "
                                          "type the label or the number of one."));
    // an item byte cannot name the last four items: their labels stand for 0
    QCOMPARE(*resolveStoredValue(valueList(ValueListId::ItemBytes), valueList(ValueListId::Items)[259].label, 7, "Dropped Item"),
             0);
}

void FieldRulesTest::chestWordsRoundTrip()
{
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
        const ChestContents c = decodeChestContents(static_cast<std::uint16_t>(word));
        const auto again = encodeChestContents(c.type == ChestType::Gold, c.type == ChestType::Event,
                                               std::to_string(c.value), static_cast<std::uint16_t>(word));
        QVERIFY(again.ok());
        QCOMPARE(*again, std::uint16_t(word));  // saving a chest untouched gives back its word, hidden bits and all
    }
    QCOMPARE(*chestTypeFromText(" None (event) "), ChestType::Event);
    QCOMPARE(*chestTypeFromText("GOLD"), ChestType::Gold);
    QVERIFY(!chestTypeFromText("silver"));
    QCOMPARE(*resolveChestItem("300", 0), 300);
    QCOMPARE(*resolveChestItem("&H10", 0), 16);
    QVERIFY(!resolveChestItem("512", 0));
}

void FieldRulesTest::namesCheckedAgainstTheCodec()
{
    QVERIFY(checkGameText("Ol'Imp, 2!", 11, "Enemy Name").ok());
    QVERIFY(checkGameText("ElevenChars", 11, "Enemy Name").ok());
    QVERIFY(!checkGameText("TwelveChars!", 11, "Enemy Name"));
    QVERIFY(QString::fromStdString(checkGameText("Caf\xC3\xA9", 11, "Enemy Name").error()).contains("\"\xC3\xA9\""));
    QVERIFY(!checkGameText("a-b", 11, "Enemy Name"));
}

QTEST_GUILESS_MAIN(FieldRulesTest)
#include "test_field_rules.moc"
