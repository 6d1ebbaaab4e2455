#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "rom/tables.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

// veldra-cli's commands that write (set, import) and diff, driven as a
// process; every case checks the image's bytes afterwards.
class CliEditsTest : public QObject {
    Q_OBJECT
private slots:
    void dumpThenImportChangesNothing_data();
    void dumpThenImportChangesNothing();
    void aCsvChangeLandsInItsBytesOnly();
    void aSpreadsheetsCsvIsRead();
    void setStoresWhatTheWindowsStore();
    void setChangesOnlyItsRecord();
    void dryRunWritesNothing();
    void refusedValuesWriteNothingAndSayWhere_data();
    void refusedValuesWriteNothingAndSayWhere();
    void importListsEveryRefusal();
    void chestContentsFollowTheWindowsRule();
    void accessoryRecordsAreWrittenBothOrNeither();
    void windowAndToolRefuseWithTheSameReason();
    void diffOfAnImageWithItselfAndAfterASet();
    void valuesOutsideTheirRangeOrAmbiguousAreRefused_data();
    void valuesOutsideTheirRangeOrAmbiguousAreRefused();
    void importOfATextThatIsNoUtf8WritesNothing();
    void diffNamesTheEntriesPastTheEndOfTheShorterImage();
    void outputFailuresAreToldAndNeverHideAWrite_data();
    void outputFailuresAreToldAndNeverHideAWrite();
};

namespace {

constexpr std::uint32_t kStats = 0x0C4900;
constexpr std::uint32_t kChests = 0x35F602;

int wordAtOffset(const Bytes& bytes, std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

// The offsets that differ, as "0x..." texts, for readable failures.
QStringList changes(const Bytes& before, const Bytes& after)
{
    QStringList out;
    for (std::size_t at : changedOffsets(before, after))
        out << QString::number(at, 16);
    return out;
}

QStringList hexRange(std::size_t position, std::size_t count)
{
    QStringList out;
    for (std::size_t at : offsetRange(position, count))
        out << QString::number(at, 16);
    return out;
}

}  // namespace

void CliEditsTest::dumpThenImportChangesNothing_data()
{
    QTest::addColumn<QString>("table");  // empty: every table as JSON
    QTest::newRow("every table as JSON") << "";
    for (const Table* table : tables::all()) {
        const QString key = QString::fromUtf8(table->key.data(), table->key.size());
        QTest::newRow(qPrintable(key + " as CSV")) << key;
    }
}

void CliEditsTest::dumpThenImportChangesNothing()
{
    QFETCH(QString, table);
    SampleImage image;
    // bytes no list entry stands for, names the codec cannot write back, item chest bits the window hides
    image.poke(kStats + 23 * 9 + 22, {24});
    image.poke(0x0C6700 + 11 * 3, {0xE7, 0x00, 0xF1});
    image.poke(kChests + 4 * 6 + 2, {0x5F, 0x26});
    const Bytes before = image.bytes();
    QTemporaryDir dir;
    const QString file = dir.filePath(table.isEmpty() ? "all.json" : table + ".csv");
    QStringList dump{"dump", image.path(), "--output", file};
    if (!table.isEmpty())
        dump << table << "--format" << "csv";
    QCOMPARE(runCli(dump).exitCode, 0);
    const CliRun import = runCli({"import", image.path(), file});
    QVERIFY2(import.exitCode == 0, qPrintable(import.err));
    QCOMPARE(import.outText(), QString("0 fields in 0 records changed\n"));
    QCOMPARE(changes(before, image.bytes()), QStringList());
}

void CliEditsTest::aCsvChangeLandsInItsBytesOnly()
{
    SampleImage image;
    const Bytes before = image.bytes();
    QTemporaryDir dir;
    const QString file = dir.filePath("stats.csv");
    QCOMPARE(runCli({"dump", image.path(), "enemy-stats", "--format", "csv", "--output", file}).exitCode, 0);
    // change enemy 5's HP as a spreadsheet would: the cell under "hp" in the row of index 5
    QStringList lines = QString::fromUtf8(fileContents(file)).split("\r\n");
    QStringList row = lines[6].split(',');
    QCOMPARE(row[0], QString("5"));
    const int hp = row[1].toInt();
    const int changed = hp ^ 0xFFFF;  // both bytes differ
    row[1] = QString::number(changed);
    lines[6] = row.join(',');
    writeFile(file, lines.join("\r\n").toUtf8());

    const CliRun run = runCli({"import", image.path(), file, "--table", "enemy-stats"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.outText(), QString("enemy-stats[5].hp: %1 -> %2\n1 field in 1 record changed\n").arg(hp).arg(changed));
    QCOMPARE(changes(before, image.bytes()), hexRange(kStats + 23 * 5, 2));
    QCOMPARE(wordAtOffset(image.bytes(), kStats + 23 * 5), changed);
}

void CliEditsTest::aSpreadsheetsCsvIsRead()
{
    SampleImage image;
    const Bytes before = image.bytes();
    QTemporaryDir dir;
    const QString file = dir.filePath("enemy-names.csv");
    // a byte-order mark, a quoted header cell naming the field by its control, a quoted comma, a quoted index
    writeFile(file, "\xEF\xBB\xBFindex,\"namebox\"\r\n7,\"Bat, Jr.\"\r\n\"8\",\"Ol'Imp\"\r\n");
    const CliRun run = runCli({"import", image.path(), file});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(run.outText().contains(" -> \"Bat, Jr.   \"\nenemy-names[8].name: "));
    QVERIFY(run.outText().endsWith(" -> \"Ol'Imp     \"\n2 fields in 2 records changed\n"));
    const Bytes after = image.bytes();
    // "Bat, Jr." in the game's code, padded with blanks
    QCOMPARE(Bytes(after.begin() + 0x0C6700 + 77, after.begin() + 0x0C6700 + 88),
             (Bytes{0xA1, 0xBA, 0xCD, 0xE9, 0xEF, 0xA9, 0xCB, 0xE8, 0xEF, 0xEF, 0xEF}));
    QCOMPARE(Bytes(after.begin() + 0x0C6700 + 88, after.begin() + 0x0C6700 + 94),
             (Bytes{0xAE, 0xC5, 0xE2, 0xA8, 0xC6, 0xC9}));
    const QStringList nameSlots = hexRange(0x0C6700 + 77, 22);
    for (const QString& at : changes(before, after))
        QVERIFY2(nameSlots.contains(at), qPrintable(at));

    const QString multi = dir.filePath("chests.csv");
    writeFile(multi, "index,x-position,type,value\r\n\"1\r\n\",2,gold,3\r\n");
    const CliRun broken = runCli({"import", image.path(), multi});
    QCOMPARE(broken.exitCode, 1);  // the index cell holds a line break: not a number
    QVERIFY2(broken.err.contains("line 2, column 1"), qPrintable(broken.err));
}

void CliEditsTest::setStoresWhatTheWindowsStore()
{
    SampleImage image;
    const CliRun run = runCli({"set", image.path(), "enemy-stats", "7", "hp=&H1F4", "s2=0x20", "hit-effect=5 - Causes HP Leak",
                               "hit=2.5", "speed=255.4"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const Bytes after = image.bytes();
    const std::size_t r = kStats + 23 * 7;
    QCOMPARE(wordAtOffset(after, r), 500);  // &H hex, as typed in a window
    QCOMPARE(int(after[r + 2]), 0x20);      // 0x hex, the tool's own
    QCOMPARE(int(after[r + 22]), 5);        // by the entry's label
    QCOMPARE(int(after[r + 11]), 2);        // rounded half to even, as Save does
    QCOMPARE(int(after[r + 9]), 255);       // rounded into the range (300 is refused, not clamped)
    QVERIFY(run.outText().contains("enemy-stats[7].hit-effect: "));
    QVERIFY(run.outText().contains(" -> 5\n"));

    QCOMPARE(runCli({"set", image.path(), "weapons", "4", "inflicted-status=Random 'slow'", "Combo1=Yes"}).exitCode, 0);
    QCOMPARE(int(image.bytes()[0x0C0462 + 5 * 4 + 3]), 39);
    QCOMPARE(int(image.bytes()[0x0C0462 + 5 * 4 + 4]), 1);
    QCOMPARE(runCli({"set", image.path(), "gato", "0", "gato=05 - Enemy 05"}).exitCode, 0);
    QCOMPARE(int(image.bytes()[0x3802F0]), 5);
    QCOMPARE(runCli({"set", image.path(), "accessory-equip", "3", "pc-1=true", "pc7=false", "Price=1200"}).exitCode, 0);
    const std::size_t equip = 0x0C0C1C + 4 * 3;
    QVERIFY(image.bytes()[equip + 3] & 0x80);
    QVERIFY(!(image.bytes()[equip + 3] & 0x02));
    QCOMPARE(wordAtOffset(image.bytes(), equip + 1), 1200);
    // a stored number no entry stands for is kept when given back as it is
    image.poke(0x0C067E + 3 * 2 + 1, {5});
    QCOMPARE(runCli({"set", image.path(), "armor", "2", "inflicted-status=5"}).exitCode, 0);
    QCOMPARE(runCli({"set", image.path(), "armor", "3", "inflicted-status=5"}).exitCode, 1);
}

void CliEditsTest::setChangesOnlyItsRecord()
{
    SampleImage image;
    const Bytes before = image.bytes();
    const int old = before[0x0C0462 + 5 * 85];
    const int attack = old == 7 ? 8 : 7;
    const CliRun run = runCli({"set", image.path(), "weapons", "85", "attack=" + QString::number(attack)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.outText(), QString("weapons[85].attack: %1 -> %2\n").arg(old).arg(attack));
    QCOMPARE(changes(before, image.bytes()), hexRange(0x0C0462 + 5 * 85, 1));
    // the same value again changes nothing and says so
    const CliRun same = runCli({"set", image.path(), "weapons", "85", "attack=" + QString::number(attack)});
    QCOMPARE(same.exitCode, 0);
    QVERIFY(same.out.isEmpty());
    QVERIFY(same.err.contains("no value changed"));
}

void CliEditsTest::dryRunWritesNothing()
{
    SampleImage image;
    const Bytes before = image.bytes();
    const CliRun set = runCli({"set", image.path(), "enemy-stats", "1", "hp=1234", "--dry-run"});
    QCOMPARE(set.exitCode, 0);
    QVERIFY(set.outText().startsWith("enemy-stats[1].hp: "));
    QVERIFY(set.err.contains("dry run"));
    QTemporaryDir dir;
    writeFile(dir.filePath("x.json"), R"({"tables": {"weapons": [{"index": 1, "attack": 1}, {"index": 2, "attack": 2}]}})");
    const CliRun import = runCli({"import", image.path(), dir.filePath("x.json"), "--dry-run"});
    QCOMPARE(import.exitCode, 0);
    QVERIFY(import.outText().endsWith(" would change\n"));
    QCOMPARE(image.bytes(), before);
}

void CliEditsTest::refusedValuesWriteNothingAndSayWhere_data()
{
    QTest::addColumn<QStringList>("args");  // after "set IMAGE"
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("reason");
    QTest::newRow("word out of range") << QStringList{"enemy-stats", "3", "hp=70000"} << "enemy-stats[3].hp"
                                       << "HP must be a whole number from 0 to 65535; it holds \"70000\".";
    QTest::newRow("negative byte") << QStringList{"weapons", "2", "attack=-1"} << "weapons[2].attack"
                                   << "Attack must be a whole number from 0 to 255; it holds \"-1\".";
    QTest::newRow("not a number") << QStringList{"enemy-ai", "0", "ai-pointer=lots"} << "enemy-ai[0].ai-pointer"
                                  << "it holds \"lots\"";
    QTest::newRow("unknown label") << QStringList{"weapons", "2", "inflicted-status=Random 'zap'"}
                                   << "weapons[2].inflicted-status"
                                   << "Inflicted Status: \"Random 'zap'\" is not an entry of the list.";
    QTest::newRow("item number past the list") << QStringList{"enemy-rewards", "1", "dropped-item=300"}
                                               << "enemy-rewards[1].dropped-item" << "is not an entry of the list";
    QTest::newRow("name too long") << QStringList{"enemy-names", "4", "name=TwelveLetter"} << "enemy-names[4].name"
                                   << "has 12 characters; the slot holds 11";
    QTest::newRow("character without a code") << QStringList{"enemy-names", "4", "name=Bat-man"}
                                               << "enemy-names[4].name" << "\"-\" has no code";
    QTest::newRow("gold that does not fit") << QStringList{"chests", "0", "type=gold", "value=40000"} << "chests[0].value"
                                            << "The gold amount must be a whole number from 0 to 32767";
    QTest::newRow("item that does not fit") << QStringList{"chests", "2", "value=600"} << "chests[2].value"
                                            << "neither an entry of the list nor an item number from 0 to 511";
    QTest::newRow("event word that does not fit") << QStringList{"chests", "1", "type=event", "value=&H8000"}
                                                  << "chests[1].value" << "The event word must be";
    QTest::newRow("unknown chest type") << QStringList{"chests", "1", "type=silver"} << "chests[1].type"
                                        << "gold, event or item";
    QTest::newRow("contents word") << QStringList{"chests", "1", "contents=5"} << "chests[1].contents" << "not settable";
    QTest::newRow("bit") << QStringList{"accessory-effects", "0", "b1=maybe"} << "accessory-effects[0].has-effect-on-gil"
                         << "must be true or false";
    QTest::newRow("one of two refused") << QStringList{"weapons", "2", "attack=5", "always-0=x"} << "weapons[2].always-0"
                                        << "???, Always 0 must be";
    QTest::newRow("given twice") << QStringList{"weapons", "2", "attack=5", "Text1=6"} << "weapons[2].attack"
                                 << "given twice";
}

void CliEditsTest::refusedValuesWriteNothingAndSayWhere()
{
    QFETCH(QStringList, args);
    QFETCH(QString, where);
    QFETCH(QString, reason);
    SampleImage image;
    const Bytes before = image.bytes();
    const CliRun run = runCli(QStringList{"set", image.path()} + args);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains("nothing was written"), qPrintable(run.err));
    QVERIFY2(run.err.contains("  " + where + ": "), qPrintable(run.err));
    QVERIFY2(run.err.contains(reason), qPrintable(run.err));
    QCOMPARE(changes(before, image.bytes()), QStringList());
}

void CliEditsTest::importListsEveryRefusal()
{
    SampleImage image;
    const Bytes before = image.bytes();
    QTemporaryDir dir;
    writeFile(dir.filePath("edit.json"), R"({"tables": {
        "weapons": [{"index": 1, "attack": 10}, {"index": 2, "attack": -3}],
        "enemy-names": [{"index": 0, "name": "Fine"}, {"index": 1, "name": "Too long a name"}],
        "chests": [{"index": 0, "type": "gold", "value": 32768}],
        "armor": [{"index": 99, "defense": 1}, {"index": 0, "color": 1}]}})");
    const CliRun json = runCli({"import", image.path(), dir.filePath("edit.json")});
    QCOMPARE(json.exitCode, 1);
    QVERIFY2(json.err.contains("5 values were refused"), qPrintable(json.err));
    for (const char* where : {"tables.weapons[1].attack (weapons[2].attack): ", "tables.enemy-names[1].name (enemy-names[1].name): ",
                              "tables.chests[0].value (chests[0].value): ", "tables.armor[0].defense (armor[99].defense): ",
                              "tables.armor[1].color (armor[0].color): "})
        QVERIFY2(json.err.contains(where), qPrintable(where + QString("\n") + json.err));

    writeFile(dir.filePath("weapons.csv"), "index,attack,critical-hit\r\n0,1,2\r\n1,-5,3\r\n2,4,x\r\n");
    const CliRun csv = runCli({"import", image.path(), dir.filePath("weapons.csv")});
    QCOMPARE(csv.exitCode, 1);
    QVERIFY2(csv.err.contains("line 3, column 2 (weapons[1].attack): Attack must be"), qPrintable(csv.err));
    QVERIFY2(csv.err.contains("line 4, column 3 (weapons[2].critical-hit): Critical Hit % must be"), qPrintable(csv.err));
    QCOMPARE(changes(before, image.bytes()), QStringList());
}

void CliEditsTest::chestContentsFollowTheWindowsRule()
{
    SampleImage image;
    const std::size_t chest = kChests + 4 * 9;
    image.poke(chest + 2, {0x5F, 0x26});  // item 95 with bits 9..13 that the window hides
    QCOMPARE(runCli({"set", image.path(), "chests", "9", "value=0"}).exitCode, 0);
    QCOMPARE(wordAtOffset(image.bytes(), chest + 2), 0x2600);  // the hidden bits stay with the item chest
    QCOMPARE(runCli({"set", image.path(), "chests", "9", "value=300"}).exitCode, 0);
    QCOMPARE(wordAtOffset(image.bytes(), chest + 2), 0x2600 | 300);  // an item number past the list
    const CliRun gold = runCli({"set", image.path(), "chests", "9", "type=gold"});
    QCOMPARE(gold.exitCode, 0);
    QCOMPARE(wordAtOffset(image.bytes(), chest + 2), 0x8000 | 300);  // a type change drops them
    QVERIFY(gold.outText().contains("chests[9].type: item -> gold\n"));
    QCOMPARE(runCli({"set", image.path(), "chests", "9", "type=None (event)", "value=3"}).exitCode, 0);
    QCOMPARE(wordAtOffset(image.bytes(), chest + 2), 0x4003);
    QCOMPARE(runCli({"get", image.path(), "chests", "9", "value"}).outText(), QString("16387\n"));
    // the raw word goes with type and value, never on its own
    QCOMPARE(runCli({"set", image.path(), "chests", "9", "type=gold", "value=5", "contents=32773"}).exitCode, 0);
    QCOMPARE(wordAtOffset(image.bytes(), chest + 2), 0x8005);
    const CliRun contents = runCli({"set", image.path(), "chests", "9", "type=gold", "value=5", "contents=7"});
    QCOMPARE(contents.exitCode, 1);
    QVERIFY2(contents.err.contains("chests[9].contents: Contents is shown, not settable"), qPrintable(contents.err));
}

void CliEditsTest::accessoryRecordsAreWrittenBothOrNeither()
{
    SampleImage image;
    QTemporaryDir dir;
    writeFile(dir.filePath("acc.json"), R"({"tables": {"accessory-effects": [{"index": 39, "type-of-effect": 7}],
        "accessory-equip": [{"index": 39, "accessory-price": 999}]}})");
    QCOMPARE(runCli({"import", image.path(), dir.filePath("acc.json")}).exitCode, 0);
    QCOMPARE(int(image.bytes()[0x0C072C + 4 * 39 + 2]), 7);
    QCOMPARE(wordAtOffset(image.bytes(), 0x0C0C1C + 4 * 39 + 1), 999);

    // a file that ends inside the last equip record: neither record is written
    writeFile(dir.filePath("acc.json"), R"({"tables": {"accessory-effects": [{"index": 39, "type-of-effect": 8}],
        "accessory-equip": [{"index": 39, "accessory-price": 1000}]}})");
    QVERIFY(QFile::resize(image.path(), 0x0C0C1C + 4 * 39 + 2));
    const Bytes before = image.bytes();
    const CliRun run = runCli({"import", image.path(), dir.filePath("acc.json")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("accessory-equip[39]"), qPrintable(run.err));
    QCOMPARE(image.bytes(), before);
    const CliRun dump = runCli({"dump", image.path(), "accessory-equip"});
    QCOMPARE(dump.exitCode, 1);
    QVERIFY2(dump.err.contains("ends inside the accessory-equip table"), qPrintable(dump.err));
}

void CliEditsTest::windowAndToolRefuseWithTheSameReason()
{
    struct Case {
        int editor;
        const char* window;
        int row;
        const char* control;
        const char* typed;
        QStringList args;
    };
    const Case cases[] = {
        {3, "Weapon", 2, "Text1", "-1", {"weapons", "2", "attack=-1"}},
        {3, "Weapon", 2, "Combo2", "xyz", {"weapons", "2", "inflicted-status=xyz"}},
        {6, "Item2", 4, "Text2", "70000", {"item-secondary", "4", "item-price=70000"}},
        {8, "Chests", 0, "Text1", "40000", {"chests", "0", "value=40000"}},  // chest 0 is gold
        {8, "Chests", 2, "c3", "no such item", {"chests", "2", "value=no such item"}},
    };
    for (const Case& c : cases) {
        Session s;
        QWidget* w = s.openEditor(c.editor, c.window);
        clickRow(child<QListWidget>(w, "List1"), c.row);
        if (auto* combo = child<QComboBox>(w, c.control)) {
            combo->setFocus();
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), c.typed);
        } else {
            typeInto(child<QLineEdit>(w, c.control), c.typed);
        }
        clickSave(w);
        QCOMPARE(s.platform.messages.size(), 1);
        const QString windowReason = s.platform.messages[0];
        const CliRun run = runCli(QStringList{"set", s.image.path()} + c.args);
        QCOMPARE(run.exitCode, 1);
        // the tool indents the lines after the first of a reason
        QString toolReason = windowReason;
        toolReason.replace("\n\n", "\n\n    ");
        QVERIFY2(run.err.contains(": " + toolReason + "\n"), qPrintable(windowReason + " <> " + run.err));
    }
}

void CliEditsTest::diffOfAnImageWithItselfAndAfterASet()
{
    SampleImage image;
    const CliRun same = runCli({"diff", image.path(), image.path()});
    QCOMPARE(same.exitCode, 0);
    QVERIFY(same.out.isEmpty());

    image.poke(0x0C6700, {0xE2});  // an apostrophe, which has a second code
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.sfc");
    QVERIFY(QFile::copy(image.path(), copy));
    QCOMPARE(runCli({"diff", image.path(), copy}).exitCode, 0);
    const int hp = wordAtOffset(image.bytes(), kStats + 23 * 3);
    QCOMPARE(runCli({"set", copy, "enemy-stats", "3", "hp=12345", "hit-effect=0 - Nothing"}).exitCode, 0);
    QByteArray bytes = fileContents(copy);
    bytes[0x100] = char(~bytes[0x100]);
    bytes[0x101] = char(~bytes[0x101]);
    bytes[0x3FFFFF] = char(~bytes[0x3FFFFF]);
    bytes[0x0C6700] = char(0xE7);  // the other apostrophe: the name reads the same
    writeFile(copy, bytes);
    const CliRun diff = runCli({"diff", image.path(), copy});
    QCOMPARE(diff.exitCode, 1);
    const int hitEffect = image.bytes()[kStats + 23 * 3 + 22];
    QCOMPARE(diff.outText(), QString("enemy-stats[3].hp: %1 -> 12345\n"
                                     "enemy-stats[3].hit-effect: %2 -> 0\n"
                                     "enemy-names[0]: bytes differ that no field shows, 0x0C6700-0x0C670A (11 bytes)\n"
                                     "outside tables: 0x000100-0x000101 (2 bytes)\n"
                                     "outside tables: 0x3FFFFF-0x3FFFFF (1 byte)\n")
                                 .arg(hp)
                                 .arg(hitEffect));
    const CliRun json = runCli({"diff", image.path(), copy, "--json"});
    QCOMPARE(json.exitCode, 1);
    QVERIFY(json.outText().contains("\"equal\": false"));
    QVERIFY(json.outText().contains("\"label_b\": \"0 - Nothing\""));
}

namespace {

constexpr int kWeapon4 = 0x0C0462 + 5 * 4;
constexpr int kRewards1 = 0x0C6000 + 7 * 1;
constexpr int kChest9 = int(kChests) + 4 * 9;

}  // namespace

void CliEditsTest::valuesOutsideTheirRangeOrAmbiguousAreRefused_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("assignment");  // KEY=VALUE
    QTest::addColumn<int>("at");              // a byte poked before the run, then read after it
    QTest::addColumn<int>("poked");           // -1: none
    QTest::addColumn<QString>("reason");      // empty: stored
    QTest::addColumn<int>("stored");          // the byte at `at` after a run that stores

    // clamped byte fields: a window turns these into 255 as they are typed
    QTest::newRow("byte 300") << "weapons" << 4 << "attack=300" << kWeapon4 << -1 << "Attack: 300 is outside 0..255." << 0;
    QTest::newRow("byte 256") << "weapons" << 4 << "attack=256" << kWeapon4 << -1 << "Attack: 256 is outside 0..255." << 0;
    QTest::newRow("byte rounding past 255") << "weapons" << 4 << "attack=255.5" << kWeapon4 << -1
                                            << "Attack: 255.5 is outside 0..255." << 0;
    QTest::newRow("byte in 0x hex") << "enemy-stats" << 7 << "speed=0x12C" << int(kStats + 23 * 7 + 9) << -1
                                    << "Speed: 0x12C is outside 0..255." << 0;
    QTest::newRow("byte far out") << "weapons" << 4 << "attack=1e400" << kWeapon4 << -1
                                  << "Attack: 1e400 is outside 0..255." << 0;
    QTest::newRow("chest position") << "chests" << 9 << "x-position=300" << kChest9 << -1
                                    << "X Position: 300 is outside 0..255." << 0;
    QTest::newRow("byte 255") << "weapons" << 4 << "attack=255" << kWeapon4 << 3 << "" << 255;
    QTest::newRow("byte rounding to 255") << "weapons" << 4 << "attack=255.4" << kWeapon4 << 3 << "" << 255;
    QTest::newRow("an empty byte is 0, as documented") << "weapons" << 4 << "attack=" << kWeapon4 << 3 << "" << 0;
    // fields that the windows refuse too keep their reason
    QTest::newRow("negative byte") << "weapons" << 4 << "attack=-1" << kWeapon4 << -1
                                   << "Attack must be a whole number from 0 to 255" << 0;
    QTest::newRow("byte without a rule") << "accessory-effects" << 2 << "type-of-effect=300" << 0x0C072C + 4 * 2 + 2 << -1
                                         << "Type of Effect must be a whole number from 0 to 255" << 0;
    QTest::newRow("open-ended word") << "enemy-stats" << 7 << "hp=70000" << int(kStats + 23 * 7) << -1
                                     << "HP must be a whole number from 0 to 65535" << 0;
    QTest::newRow("negative word") << "enemy-rewards" << 1 << "gil=-1" << kRewards1 + 2 << -1
                                   << "Gil must be a whole number from 0 to 65535" << 0;
    QTest::newRow("word without a rule") << "accessory-equip" << 3 << "accessory-price=65536" << 0x0C0C1C + 4 * 3 + 1 << -1
                                         << "Accessory Price must be a whole number from 0 to 65535" << 0;
    QTest::newRow("bit") << "accessory-equip" << 3 << "pc-1=2" << 0x0C0C1C + 4 * 3 + 3 << -1
                         << "PC 1 must be true or false" << 0;
    QTest::newRow("enemy list") << "gato" << 0 << "gato=300" << 0x3802F0 << -1 << "is not an entry of the list" << 0;
    QTest::newRow("name one character too long") << "enemy-names" << 4 << "name=TwelveLetter" << 0x0C6700 + 11 * 4 << -1
                                                 << "has 12 characters; the slot holds 11" << 0;
    QTest::newRow("gold past its range") << "chests" << 0 << "value=40000" << int(kChests + 2) << -1
                                         << "The gold amount must be a whole number from 0 to 32767" << 0;
    // labels that entries of different values share
    QTest::newRow("shared label") << "weapons" << 4 << "inflicted-status=Random 'stop'" << kWeapon4 + 3 << 0
                                  << "Inflicted Status: \"Random 'stop'\" is the label of 36 and 38; give the number of "
                                     "the one meant."
                                  << 0;
    QTest::newRow("shared label, one of them held") << "weapons" << 4 << "inflicted-status=Random 'stop'" << kWeapon4 + 3
                                                    << 38 << "" << 38;
    QTest::newRow("shared item label") << "enemy-rewards" << 1 << "dropped-item={Null}" << kRewards1 + 4 << 5
                                       << "Dropped Item: \"{Null}\" is the label of 0, 86, 87, " << 0;
    QTest::newRow("shared item label, one of them held") << "enemy-rewards" << 1 << "dropped-item={Null}" << kRewards1 + 4
                                                         << 87 << "" << 87;
    QTest::newRow("chest item by a shared label") << "chests" << 9 << "value={Null}" << kChest9 + 2 << 95
                                                  << "If Chest holds an Item: \"{Null}\" is the label of 0, 86, " << 0;
    QTest::newRow("chest item by a unique label") << "chests" << 9 << "value=" + QString::fromStdString(valueList(ValueListId::Items)[17].label)
                                                  << kChest9 + 2 << 95 << "" << 17;
}

// set and import alike: each refused value leaves every byte of the image as
// it was; a value in range is stored as given
void CliEditsTest::valuesOutsideTheirRangeOrAmbiguousAreRefused()
{
    QFETCH(QString, table);
    QFETCH(int, index);
    QFETCH(QString, assignment);
    QFETCH(int, at);
    QFETCH(int, poked);
    QFETCH(QString, reason);
    QFETCH(int, stored);
    const qsizetype eq = assignment.indexOf('=');
    const QString key = assignment.left(eq);
    const QString value = assignment.mid(eq + 1);
    QTemporaryDir dir;
    const QString json = dir.filePath("edit.json");
    writeFile(json, QJsonDocument(QJsonObject{{"tables", QJsonObject{{table, QJsonArray{QJsonObject{{"index", index},
                                                                                                 {key, value}}}}}}})
                        .toJson());
    const QStringList runs[] = {{"set", "", table, QString::number(index), assignment}, {"import", "", json}};
    for (QStringList args : runs) {
        SampleImage image;
        image.poke(kChest9 + 2, {95, 0});  // chest 9 holds item 95
        if (poked >= 0)
            image.poke(std::uint32_t(at), {std::uint8_t(poked)});
        const Bytes before = image.bytes();
        args[1] = image.path();
        const CliRun run = runCli(args);
        if (reason.isEmpty()) {
            QVERIFY2(run.exitCode == 0, qPrintable(args[0] + ": " + run.err));
            QCOMPARE(int(image.bytes()[std::size_t(at)]), stored);
            for (const QString& changed : changes(before, image.bytes()))
                QCOMPARE(changed, QString::number(at, 16));
            continue;
        }
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains("nothing was written"), qPrintable(run.err));
        QVERIFY2(run.err.contains(reason), qPrintable(args[0] + ": " + run.err));
        QCOMPARE(changes(before, image.bytes()), QStringList());
    }
}

void CliEditsTest::importOfATextThatIsNoUtf8WritesNothing()
{
    SampleImage image;
    image.poke(kWeapon4, {3});
    image.poke(kWeapon4 + 5, {3});
    const Bytes before = image.bytes();
    QTemporaryDir dir;
    // the first object alone was read and written once: the NUL ended the parse
    const QString json = dir.filePath("edit.json");
    writeFile(json, QByteArray(R"({"tables": {"weapons": [{"index": 4, "attack": 9}]}})") + QByteArray(1, '\0')
                        + R"({"tables": {"weapons": [{"index": 5, "attack": 9}]}})");
    const QString csv = dir.filePath("weapons.csv");
    writeFile(csv, QByteArray("index,attack\r\n4,9\r\n5,9") + QByteArray(1, '\0') + "\r\n");
    const QString latin1 = dir.filePath("enemy-names.csv");
    writeFile(latin1, "index,name\r\n4,Ren\xE9\r\n");
    const std::pair<QString, QString> cases[] = {
        {json, "line 1, column 53 (byte offset 52): a NUL byte"},
        {csv, "line 3, column 4 (byte offset 22): a NUL byte"},
        {latin1, "line 2, column 6 (byte offset 17): the byte 0xE9, which is not UTF-8"},
    };
    for (const auto& [file, where] : cases) {
        const CliRun run = runCli({"import", image.path(), file});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(where), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(changes(before, image.bytes()), QStringList());
    }
}

void CliEditsTest::diffNamesTheEntriesPastTheEndOfTheShorterImage()
{
    SampleImage image;
    QTemporaryDir dir;
    const QString cut = dir.filePath("cut.sfc");
    QVERIFY(QFile::copy(image.path(), cut));
    QVERIFY(QFile::resize(cut, 3000000));
    const CliRun run = runCli({"diff", image.path(), cut});
    QCOMPARE(run.exitCode, 1);
    const QString out = run.outText();
    QVERIFY2(out.startsWith("size: 4194304 -> 3000000 bytes\n"), qPrintable(out));
    QVERIFY2(out.contains("gato[0]: only in A, past the end of B, 0x3802F0-0x3802F0 (1 byte)\n"), qPrintable(out));
    QVERIFY2(out.contains("chests[0..255]: only in A, past the end of B, 0x35F602-0x35FA01 (1024 bytes)\n"), qPrintable(out));

    // a cut inside the chest table, the shorter image first: the rest of the table, in the JSON too
    QVERIFY(QFile::resize(cut, kChests + 4 * 10 + 2));
    const CliRun json = runCli({"diff", cut, image.path(), "--json"});
    QCOMPARE(json.exitCode, 1);
    const QJsonObject answer = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(answer["equal"].toBool(true), false);
    const QJsonArray missing = answer["missing"].toArray();
    QCOMPARE(missing.size(), 2);
    QCOMPARE(missing[0].toObject(), (QJsonObject{{"table", "gato"}, {"first", 0}, {"last", 0}, {"start", 0x3802F0},
                                                 {"end", 0x3802F0}, {"only_in", "b"}}));
    QCOMPARE(missing[1].toObject(), (QJsonObject{{"table", "chests"}, {"first", 10}, {"last", 255},
                                                 {"start", int(kChests + 4 * 10)}, {"end", int(kChests + 4 * 256 - 1)},
                                                 {"only_in", "b"}}));
}

void CliEditsTest::outputFailuresAreToldAndNeverHideAWrite_data()
{
    QTest::addColumn<QStringList>("args");  // IMG is the image, MOD a copy with one byte changed, OUT a new file
    QTest::addColumn<int>("output");        // a BrokenOutput
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::addColumn<bool>("imageChanged");
    const int full = int(BrokenOutput::Full);
    const QString lost = "but its report could not be written to standard output: ";
    const QStringList set{"set", "IMG", "weapons", "4", "attack=9"};
    QTest::newRow("set, full") << set << full << 3 << "carried out (1 field in 1 record changed in " << true;
    QTest::newRow("set, reader gone") << set << int(BrokenOutput::ReaderGone) << 3 << lost + "Broken pipe" << true;
    QTest::newRow("set, closed") << set << int(BrokenOutput::Closed) << 3 << lost + "it is closed" << true;
    QTest::newRow("set, dry run") << (set + QStringList{"--dry-run"}) << full << 1
                                  << "cannot write to standard output: No space left on device" << false;
    QTest::newRow("import, full") << QStringList{"import", "IMG", "OUT.json"} << full << 3
                                  << "(1 field in 1 record changed in " << true;
    QTest::newRow("checksum --fix, full") << QStringList{"checksum", "IMG", "--fix"} << full << 3
                                          << "the checksum of " << true;
    QTest::newRow("patch create, full") << QStringList{"patch", "create", "IMG", "MOD", "--output", "OUT.bps"} << full
                                        << 3 << ".bps was written), " + lost << false;
    const QString told = "cannot write to standard output: No space left on device";
    QTest::newRow("dump") << QStringList{"dump", "IMG"} << full << 1 << told << false;
    QTest::newRow("dump, reader gone") << QStringList{"dump", "IMG"} << int(BrokenOutput::ReaderGone) << 1
                                       << "cannot write to standard output: Broken pipe" << false;
    QTest::newRow("get") << QStringList{"get", "IMG", "weapons", "4"} << full << 1 << told << false;
    QTest::newRow("tables") << QStringList{"tables"} << full << 1 << told << false;
    QTest::newRow("info") << QStringList{"info", "IMG"} << full << 1 << told << false;
    QTest::newRow("checksum") << QStringList{"checksum", "IMG"} << full << 1 << told << false;
    QTest::newRow("diff, equal") << QStringList{"diff", "IMG", "IMG", "--json"} << full << 2 << told << false;
    QTest::newRow("diff, different") << QStringList{"diff", "IMG", "MOD"} << full << 2 << told << false;
    QTest::newRow("help") << QStringList{"--help"} << full << 1 << told << false;
}

// Standard output that cannot be written is told on standard error; a
// command that changed the image or wrote a file says so and exits 3, never 1
void CliEditsTest::outputFailuresAreToldAndNeverHideAWrite()
{
    QFETCH(QStringList, args);
    QFETCH(int, output);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(bool, imageChanged);
    SampleImage image;
    image.poke(kWeapon4, {3});
    image.poke(0x100, {std::uint8_t(image.bytesAt(0x100, 1)[0] ^ 0x5A)});  // the checksum goes stale
    QTemporaryDir dir;
    const QString modified = dir.filePath("mod.sfc");
    QVERIFY(QFile::copy(image.path(), modified));
    writeFile(dir.filePath("OUT.json"), R"({"tables": {"weapons": [{"index": 4, "attack": 9}]}})");
    QByteArray bytes = fileContents(modified);
    bytes[0x200] = char(~bytes[0x200]);
    writeFile(modified, bytes);
    for (QString& arg : args)
        arg = arg == "IMG" ? image.path() : arg == "MOD" ? modified : arg.startsWith("OUT") ? dir.filePath(arg) : arg;
    QVERIFY(runCli({"checksum", image.path()}).outText().contains("stale"));
    const Bytes before = image.bytes();

    const CliRun run = runCliWithOutput(args, BrokenOutput(output));
    QVERIFY2(run.exitCode == exitCode, qPrintable(QString::number(run.exitCode) + " " + run.err));
    QVERIFY2(run.err.startsWith("veldra-cli: "), qPrintable(run.err));
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    const QStringList changed = changes(before, image.bytes());
    if (args[0] == "set" || args[0] == "import")
        QCOMPARE(changed, imageChanged ? hexRange(kWeapon4, 1) : QStringList());
    else
        QCOMPARE(changed.isEmpty(), !imageChanged);
}

QTEST_MAIN(CliEditsTest)
#include "test_cli_edits.moc"
