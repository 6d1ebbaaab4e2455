#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "rom/game_text.h"
#include "rom/tables.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

// veldra-cli driven as a user drives it: a process, its output, its exit
// status, and the files it leaves behind. Reading commands and usage here;
// commands that write are in test_cli_edits.
class CliToolTest : public QObject {
    Q_OBJECT
private slots:
    void linksNoQt();
    void helpAndVersion();
    void usageFaultsExitTwoWithAUsageLine_data();
    void usageFaultsExitTwoWithAUsageLine();
    void filesThatAreNoImageAreRefusedByName_data();
    void filesThatAreNoImageAreRefusedByName();
    void tablesNamesEveryTableAndKey();
    void tablesListsTheWindowsEntries_data();
    void tablesListsTheWindowsEntries();
    void dumpJsonHoldsEveryTableAsTheBytesSay();
    void dumpCsvOfOneTable();
    void getShowsValuesWithTheirLabels();
    void outputWritesANewFileOnly();
};

namespace {

QJsonDocument json(const CliRun& run) { return QJsonDocument::fromJson(run.out); }

QJsonObject tableInfo(const QJsonArray& tables, const QString& name)
{
    for (const QJsonValue& t : tables)
        if (t.toObject()["name"].toString() == name)
            return t.toObject();
    return {};
}

QJsonObject fieldInfo(const QJsonObject& table, const QString& key)
{
    for (const QJsonValue& f : table["fields"].toArray())
        if (f.toObject()["key"].toString() == key)
            return f.toObject();
    return {};
}

int wordAtOffset(const Bytes& bytes, std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

}  // namespace

void CliToolTest::linksNoQt()
{
    if (cliUnderTest().isWindowsBuild()) {
        // and nothing else that a bare Windows lacks (the C++ runtime, zlib): Windows' own DLLs only
        QProcess objdump;
        objdump.start(QStringLiteral("x86_64-w64-mingw32-objdump"), {"-p", cliPath()});
        QVERIFY(objdump.waitForFinished(30000));
        const QString imports = QString::fromUtf8(objdump.readAllStandardOutput());
        const QStringList system{"kernel32.dll", "msvcrt.dll", "shell32.dll", "advapi32.dll", "user32.dll", "ntdll.dll"};
        QStringList dlls;
        for (const QString& line : imports.split('\n'))
            if (line.contains("DLL Name:"))
                dlls << line.section(':', 1).trimmed().toLower();
        QVERIFY(dlls.contains("kernel32.dll"));
        for (const QString& dll : dlls)
            QVERIFY2(system.contains(dll), qPrintable(dll));
        return;
    }
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {cliPath()});
    QVERIFY(ldd.waitForFinished(30000));
    const QString libraries = QString::fromUtf8(ldd.readAllStandardOutput());
    QVERIFY(libraries.contains("libc.so"));
    QVERIFY2(!libraries.contains("Qt", Qt::CaseInsensitive), qPrintable(libraries));
}

void CliToolTest::helpAndVersion()
{
    const CliRun version = runCli({"--version"});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.outText().startsWith("veldra-cli "));
    const CliRun help = runCli({"--help"});
    QCOMPARE(help.exitCode, 0);
    for (const char* command : {"tables", "dump", "get", "set", "import", "diff"})
        QVERIFY2(help.outText().contains(command), command);
    for (const char* command : {"tables", "dump", "get", "set", "import", "diff"}) {
        const CliRun commandHelp = runCli({command, "--help"});
        QCOMPARE(commandHelp.exitCode, 0);
        QVERIFY(commandHelp.outText().contains("Usage"));
    }
}

void CliToolTest::usageFaultsExitTwoWithAUsageLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << "";
    QTest::newRow("unknown command") << QStringList{"frob", "IMAGE"} << "unknown command \"frob\"";
    QTest::newRow("unknown option") << QStringList{"get", "IMAGE", "weapons", "0", "--frob"} << "--frob";
    QTest::newRow("unknown table") << QStringList{"get", "IMAGE", "swords", "0"} << "unknown table \"swords\"";
    QTest::newRow("unknown key") << QStringList{"get", "IMAGE", "weapons", "0", "sharpness"} << "sharpness";
    QTest::newRow("entry past the table") << QStringList{"get", "IMAGE", "weapons", "86"} << "0 to 85";
    QTest::newRow("index not a number") << QStringList{"set", "IMAGE", "weapons", "x", "attack=1"} << "\"x\"";
    QTest::newRow("no KEY=VALUE") << QStringList{"set", "IMAGE", "weapons", "1", "attack"} << "KEY=VALUE";
    QTest::newRow("missing argument") << QStringList{"set", "IMAGE", "weapons", "1"} << "KEY=VALUE";
    QTest::newRow("csv of two tables") << QStringList{"dump", "IMAGE", "weapons", "armor", "--format", "csv"}
                                       << "exactly one TABLE";
    QTest::newRow("unknown format") << QStringList{"dump", "IMAGE", "--format", "xml"} << "xml";
    QTest::newRow("csv named after no table") << QStringList{"import", "IMAGE", "stuff.csv"} << "--table";
}

void CliToolTest::usageFaultsExitTwoWithAUsageLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    SampleImage image;
    const Bytes before = image.bytes();
    args.replaceInStrings("IMAGE", image.path());
    const CliRun run = runCli(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.contains("\nusage: veldra-cli "), qPrintable(run.err));
    QCOMPARE(image.bytes(), before);
}

void CliToolTest::filesThatAreNoImageAreRefusedByName_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing" << "no such file";
    QTest::newRow("folder") << "folder" << "folder";
    QTest::newRow("pipe") << "pipe" << "not a regular file";
    QTest::newRow("too short") << "short" << "too short";
    QTest::newRow("other identity") << "identity" << "not a Veldra Saga ROM";
}

void CliToolTest::filesThatAreNoImageAreRefusedByName()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("image.sfc");
    SampleImage sample;
    if (kind == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("image.sfc"));
    } else if (kind == "pipe") {
        QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);  // opening it would block a careless reader
    } else if (kind == "short") {
        writeFile(path, QByteArray(0x10653, '\0'));
    } else if (kind == "identity") {
        QVERIFY(QFile::copy(sample.path(), path));
        QByteArray bytes = fileContents(path);
        bytes[0x10651] = 0x4E;
        bytes[0x10652] = 0x20;  // the identity bytes in another order
        writeFile(path, bytes);
    }
    const bool regular = kind != "folder" && kind != "pipe";
    const QByteArray before = regular ? fileContents(path) : QByteArray();  // a pipe would block this test
    const QList<QStringList> commands{
        {"dump", path}, {"get", path, "weapons", "0"}, {"set", path, "weapons", "0", "attack=1"},
        {"import", path, "IMPORT"}, {"diff", path, sample.path()}, {"diff", sample.path(), path}};
    const QString importFile = dir.filePath("weapons.json");
    writeFile(importFile, R"({"tables": {"weapons": [{"index": 0, "attack": 1}]}})");
    for (QStringList args : commands) {
        args.replaceInStrings("IMPORT", importFile);
        const CliRun run = runCli(args);
        const int expected = args[0] == "diff" ? 2 : 1;  // diff keeps 1 for "the images differ"
        QVERIFY2(run.exitCode == expected, qPrintable(args.join(' ') + " exited " + QString::number(run.exitCode)));
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(path) && run.err.contains(reason), qPrintable(run.err));
    }
    if (regular)
        QCOMPARE(fileContents(path), before);
}

void CliToolTest::tablesNamesEveryTableAndKey()
{
    const CliRun run = runCli({"tables", "--json"});
    QCOMPARE(run.exitCode, 0);
    const QJsonArray tables = json(run).array();
    QStringList names;
    for (const QJsonValue& t : tables)
        names << t.toObject()["name"].toString();
    QCOMPARE(names, (QStringList{"characters", "npcs", "enemy-sprites", "enemy-names", "enemy-stats", "enemy-ai",
                                 "enemy-rewards", "weapons", "armor", "accessory-effects", "accessory-equip",
                                 "item-secondary", "consumables", "gato", "chests"}));
    const QJsonObject stats = tableInfo(tables, "enemy-stats");
    QCOMPARE(stats["base"].toInt(), 0x0C4900);
    QCOMPARE(stats["record_size"].toInt(), 23);
    QCOMPARE(stats["count"].toInt(), 256);
    const QJsonObject hit = fieldInfo(stats, "hit");  // "Hit %"
    QCOMPARE(hit["control"].toString(), QString("s11"));
    QCOMPARE(hit["width"].toString(), QString("byte"));
    QCOMPARE(hit["max"].toInt(), 255);
    QVERIFY(hit["values"].isNull());
    QCOMPARE(fieldInfo(stats, "hp")["width"].toString(), QString("word"));
    QCOMPARE(fieldInfo(tables[0].toObject(), "sprite-starting-location")["control"].toString(), QString("Text1"));
    QCOMPARE(fieldInfo(tableInfo(tables, "weapons"), "always-0")["label"].toString(), QString("???, Always 0"));
    const QJsonObject pc7 = fieldInfo(tableInfo(tables, "accessory-equip"), "pc-7");
    QCOMPARE(pc7["width"].toString(), QString("bit"));
    QCOMPARE(pc7["bit"].toInt(), 1);
    QCOMPARE(pc7["offset"].toInt(), 3);
    QCOMPARE(fieldInfo(tableInfo(tables, "enemy-names"), "name")["width"].toString(), QString("text"));
    QStringList chestKeys;
    for (const QJsonValue& f : tableInfo(tables, "chests")["fields"].toArray())
        chestKeys << f.toObject()["key"].toString();
    QCOMPARE(chestKeys, (QStringList{"x-position", "y-position", "type", "value", "contents"}));
    QCOMPARE(fieldInfo(tableInfo(tables, "chests"), "type")["values"].toArray().size(), 3);

    const CliRun text = runCli({"tables"});
    QCOMPARE(text.exitCode, 0);
    for (const QString& name : names)
        QVERIFY(text.outText().contains("\n" + name + ": ") || text.outText().startsWith(name + ": "));
}

void CliToolTest::tablesListsTheWindowsEntries_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("editor");  // row of the main window's editor list
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::newRow("hit effect") << "enemy-stats" << "hit-effect" << 2 << "Monster" << "s22";
    QTest::newRow("dropped item") << "enemy-rewards" << "dropped-item" << 2 << "Monster" << "r3";
    QTest::newRow("charmed item") << "enemy-rewards" << "charmed-item" << 2 << "Monster" << "r4";
    QTest::newRow("weapon status") << "weapons" << "inflicted-status" << 3 << "Weapon" << "Combo2";
    QTest::newRow("weapon inflicts") << "weapons" << "does-weapon-inflict-status" << 3 << "Weapon" << "Combo1";
    QTest::newRow("armor status") << "armor" << "inflicted-status" << 4 << "Armor" << "Combo2";
    QTest::newRow("armor inflicts") << "armor" << "does-armor-inflict-status" << 4 << "Armor" << "Combo1";
    QTest::newRow("chest item") << "chests" << "value" << 8 << "Chests" << "c3";
}

void CliToolTest::tablesListsTheWindowsEntries()
{
    QFETCH(QString, table);
    QFETCH(QString, key);
    QFETCH(int, editor);
    QFETCH(QString, window);
    QFETCH(QString, control);
    const QJsonArray values = fieldInfo(tableInfo(json(runCli({"tables", "--json"})).array(), table), key)["values"].toArray();
    Session s;
    auto* combo = child<QComboBox>(s.openEditor(editor, window), control);
    QVERIFY(combo);
    QCOMPARE(values.size(), combo->count());
    for (int i = 0; i < combo->count(); ++i) {
        QCOMPARE(values[i].toObject()["label"].toString(), combo->itemText(i));
        QCOMPARE(values[i].toObject()["value"].toInt(), combo->itemData(i).toInt());
    }
}

void CliToolTest::dumpJsonHoldsEveryTableAsTheBytesSay()
{
    SampleImage image;
    const Bytes bytes = image.bytes();
    const CliRun run = runCli({"dump", image.path()});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject dump = json(run).object();
    QCOMPARE(dump["image"].toObject()["path"].toString(), image.path());
    QCOMPARE(dump["image"].toObject()["size"].toInt(), int(kImageSize));
    const QJsonObject tablesObject = dump["tables"].toObject();
    QCOMPARE(tablesObject.size(), 15);
    for (const Table* table : tables::all()) {
        const QJsonArray entries = tablesObject[QString::fromUtf8(table->key.data(), table->key.size())].toArray();
        QCOMPARE(entries.size(), int(table->count));
        QCOMPARE(entries.last().toObject()["index"].toInt(), table->count - 1);
    }
    const auto stats = [&](int i) { return tablesObject["enemy-stats"].toArray()[i].toObject(); };
    QCOMPARE(stats(3)["hp"].toInt(), wordAtOffset(bytes, 0x0C4900 + 23 * 3));
    QCOMPARE(stats(200)["hit-effect"].toInt(), int(bytes[0x0C4900 + 23 * 200 + 22]));
    const QJsonObject equip = tablesObject["accessory-equip"].toArray()[6].toObject();
    QCOMPARE(equip["pc-1"].toBool(), bool(bytes[0x0C0C1C + 4 * 6 + 3] & 0x80));
    QCOMPARE(equip["ignored"].toBool(), bool(bytes[0x0C0C1C + 4 * 6 + 3] & 0x01));
    const std::size_t name5 = 0x0C6700 + 11 * 5;
    QCOMPARE(tablesObject["enemy-names"].toArray()[5].toObject()["name"].toString(),
             QString::fromStdString(decodeGameText(std::span(bytes).subspan(name5, 11))));
    QCOMPARE(tablesObject["gato"].toArray()[0].toObject()["gato"].toInt(), int(bytes[0x3802F0]));
    // chest 0 of the sample is gold, chest 1 an event, chest 2 an item
    const auto chest = [&](int i) { return tablesObject["chests"].toArray()[i].toObject(); };
    const int gold = wordAtOffset(bytes, 0x35F602 + 2);
    QCOMPARE(chest(0)["type"].toString(), QString("gold"));
    QCOMPARE(chest(0)["value"].toInt(), gold & 0x7FFF);
    QCOMPARE(chest(0)["contents"].toInt(), gold);
    QCOMPARE(chest(1)["type"].toString(), QString("event"));
    QCOMPARE(chest(1)["value"].toInt(), wordAtOffset(bytes, 0x35F602 + 4 + 2));
    QCOMPARE(chest(2)["type"].toString(), QString("item"));
    QCOMPARE(chest(2)["value"].toInt(), wordAtOffset(bytes, 0x35F602 + 8 + 2) & 0x1FF);

    const CliRun some = runCli({"dump", image.path(), "gato", "weapons"});
    QCOMPARE(json(some).object()["tables"].toObject().keys(), (QStringList{"gato", "weapons"}));
}

void CliToolTest::dumpCsvOfOneTable()
{
    SampleImage image;
    const Bytes bytes = image.bytes();
    const CliRun run = runCli({"dump", image.path(), "enemy-stats", "--format", "csv"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.endsWith("\r\n"));
    const QStringList lines = run.outText().split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 257);
    QVERIFY(lines[0].startsWith("index,hp,level,unknown-1,"));
    QVERIFY(lines[0].endsWith(",death-animation,hit-effect"));
    QVERIFY(lines[4].startsWith(QString("3,%1,%2,").arg(wordAtOffset(bytes, 0x0C4900 + 69)).arg(bytes[0x0C4900 + 71])));
    // names keep their trailing blanks, quoted
    const CliRun names = runCli({"dump", image.path(), "enemy-names", "--format", "csv"});
    const QString name0 = QString::fromStdString(decodeGameText(std::span(bytes).subspan(0x0C6700, 11)));
    QVERIFY(names.outText().contains("\r\n0,\"" + name0 + "\"\r\n"));
}

void CliToolTest::getShowsValuesWithTheirLabels()
{
    SampleImage image;
    image.poke(0x0C4900 + 23 * 4, {0x10, 0x27});  // hp 10000
    image.poke(0x0C4900 + 23 * 4 + 22, {5});
    const CliRun entry = runCli({"get", image.path(), "enemy-stats", "4"});
    QCOMPARE(entry.exitCode, 0);
    QVERIFY(entry.outText().startsWith("hp: 10000\nlevel: "));
    QVERIFY(entry.outText().endsWith("\nhit-effect: 5 (5 - Causes HP Leak)\n"));
    QCOMPARE(runCli({"get", image.path(), "enemy-stats", "4", "s1"}).outText(), QString("10000\n"));
    QCOMPARE(runCli({"get", image.path(), "enemy-stats", "4", "hit-effect"}).outText(), QString("5 (5 - Causes HP Leak)\n"));

    const QJsonObject one = json(runCli({"get", image.path(), "enemy-stats", "0x4", "hit-effect", "--json"})).object();
    QCOMPARE(one["index"].toInt(), 4);
    QCOMPARE(one["value"].toInt(), 5);
    QCOMPARE(one["label"].toString(), QString("5 - Causes HP Leak"));
    const QJsonObject all = json(runCli({"get", image.path(), "enemy-stats", "4", "--json"})).object();
    QCOMPARE(all["values"].toObject()["hp"].toInt(), 10000);
    QCOMPARE(all["labels"].toObject()["hit-effect"].toString(), QString("5 - Causes HP Leak"));
    QVERIFY(!all["labels"].toObject().contains("hp"));
}

void CliToolTest::outputWritesANewFileOnly()
{
    SampleImage image;
    QTemporaryDir dir;
    const QString out = dir.filePath("stats.csv");
    const QStringList args{"dump", image.path(), "enemy-stats", "--format", "csv", "--output", out};
    const CliRun first = runCli(args);
    QCOMPARE(first.exitCode, 0);
    QVERIFY(first.out.isEmpty());
    const QByteArray written = fileContents(out);
    QCOMPARE(written, runCli({"dump", image.path(), "enemy-stats", "--format", "csv"}).out);

    writeFile(out, "keep me");
    const CliRun again = runCli(args);
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(out) && again.err.contains("--force"), qPrintable(again.err));
    QCOMPARE(fileContents(out), QByteArray("keep me"));

    QCOMPARE(runCli(args + QStringList{"--force"}).exitCode, 0);
    QCOMPARE(fileContents(out), written);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"stats.csv"});  // no temporary left

    const Bytes imageBefore = image.bytes();
    const CliRun overImage = runCli({"dump", image.path(), "--output", image.path(), "--force"});
    QCOMPARE(overImage.exitCode, 1);
    QCOMPARE(image.bytes(), imageBefore);
    QCOMPARE(runCli({"dump", image.path(), "--output", dir.filePath("no/such/folder.json")}).exitCode, 1);
}

QTEST_MAIN(CliToolTest)
#include "test_cli_tool.moc"
