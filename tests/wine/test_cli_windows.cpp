#include "tests/support/cli_process.h"

#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <filesystem>

// The Windows build of veldra-cli, run by Wine: what only Windows has (drive
// letters, backslashes, UTF-16 names, files other programs hold open, the
// read-only attribute), and the same results as this system's build for the
// same commands. Wine shows the whole file system as drive Z: and the
// prefix's drive_c folder as C:.
class CliWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bothBuildsGiveTheSameResults_data();
    void bothBuildsGiveTheSameResults();
    void drivePathsAndBackslashes();
    void namesBeyondAscii();
    void anExistingOutputIsReplacedOnlyWithForce();
    void anOutputNamingAnInputAnotherWayIsRefused_data();
    void anOutputNamingAnInputAnotherWayIsRefused();
    void devicesAreNoFiles();
    void readOnlyFilesAreLeftAlone();
    void aFileAnotherProgramHoldsIsLeftAlone();
    void twoWritersAtOnceLoseNoChange();
    void longPathsAreWritten();
    void theLongPathPrefixReachesTheHistory();
    void refusalsSayWhatToDo();
    void slashQuestionMarkIsHelp();
    void aRestoreInPlaceReplacesTheImage();
    void everySpellingOfANameFindsOneHistory();
};

namespace {

QByteArray asBytes(const Bytes& bytes) { return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())); }

// "Z:\tmp\x\game.sfc" for "/tmp/x/game.sfc": the same file as Windows names it under Wine.
QString zPath(const QString& unixPath) { return "Z:" + QString(unixPath).replace('/', '\\'); }

// Every file under a folder (hidden ones too: no temporary may be left) with its bytes.
QMap<QString, QByteArray> folderContents(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), fileContents(path));
    }
    return files;
}

// A folder with the sample, an edited copy, a headered copy and patches.
struct Workspace {
    QTemporaryDir dir;
    Bytes sample = makeSampleImage();
    Bytes edited;

    Workspace()
    {
        edited = sample;
        edited[tables::weapons.base + 1] ^= 0x11;
        edited[tables::enemyStats.base + 23 * 9] ^= 0x40;
        Bytes headered(512, 0);
        headered.insert(headered.end(), sample.begin(), sample.end());
        put("game.sfc", sample);
        put("edited.sfc", edited);
        put("headered.smc", headered);
        put("good.ips", *createIps(sample, edited));
        put("good.bps", createBps(sample, edited));
        writeFile(path("edit.json"), R"({"tables": {"weapons": [{"index": 3, "attack": 77}],
            "enemy-names": [{"index": 2, "name": "Ol'Imp"}], "chests": [{"index": 4, "type": "gold", "value": 999}]}})");
        writeFile(path("enemy-stats.csv"), "index,hp,hit-effect\r\n1,4321,5 - Causes HP Leak\r\n2,17,0\r\n");
        // as a spreadsheet set to German saves it, under a name in other letters' case
        writeFile(path("Weapons.CSV"), "index;attack;critical-hit\r\n3;88;7\r\n");
        // as PowerShell 5.1's `>` writes it: UTF-16 with its byte-order mark
        const QString utf16 = "index,name\r\n6,\"Bat II\"\r\n";
        writeFile(path("enemy-names.csv"), QByteArray("\xFF\xFE", 2)
                                               + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void put(const QString& name, const Bytes& bytes) const { writeFile(path(name), asBytes(bytes)); }
    QByteArray bytes(const QString& name) const { return fileContents(path(name)); }
};

// The other program of aFileAnotherProgramHoldsIsLeftAlone: holds a file
// until its input is closed.
class HeldFile {
public:
    HeldFile(const QString& mode, const QString& file)
    {
        const CliProgram tool = cliUnderTest();
        const QString helper = QFileInfo(tool.path).dir().filePath("veldra-hold-file.exe");
        m_process.start(tool.runner, {helper, mode, file});
        m_held = m_process.waitForReadyRead(60000) && m_process.readAllStandardOutput().startsWith("held");
    }
    ~HeldFile()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(60000);
    }
    bool held() const { return m_held; }

private:
    QProcess m_process;
    bool m_held = false;
};

}  // namespace

void CliWindowsTest::initTestCase()
{
    const CliProgram tool = cliUnderTest();
    QVERIFY2(tool.isWindowsBuild() && !tool.runner.isEmpty(),
             "VELDRA_CLI must name veldra-cli.exe and VELDRA_CLI_RUNNER wine64");
    QVERIFY(QFileInfo(tool.path).isFile());
    QVERIFY(QFileInfo(nativeCli().path).isFile());
}

void CliWindowsTest::bothBuildsGiveTheSameResults_data()
{
    // each row: commands run one after another in the workspace, by both builds
    QTest::addColumn<QList<QStringList>>("commands");
    QList<QStringList> csv;
    for (const Table* table : tables::all()) {
        const QString key = QString::fromUtf8(table->key.data(), qsizetype(table->key.size()));
        csv << QStringList{"dump", "game.sfc", key, "--format", "csv", "--output", key + ".out.csv"};
    }
    QTest::newRow("dump as JSON") << QList<QStringList>{{"dump", "game.sfc"}, {"dump", "game.sfc", "--output", "all.json"}};
    QTest::newRow("dump every table as CSV") << csv;
    QTest::newRow("tables and get") << QList<QStringList>{
        {"tables"}, {"tables", "--json"}, {"get", "game.sfc", "enemy-stats", "4"}, {"get", "game.sfc", "chests", "2", "--json"}};
    QTest::newRow("set") << QList<QStringList>{
        {"set", "game.sfc", "enemy-stats", "7", "hp=&H1F4", "s2=0x20", "hit-effect=5 - Causes HP Leak", "hit=2.5"},
        {"set", "game.sfc", "enemy-names", "5", "name=Bat, Jr."},
        {"set", "game.sfc", "accessory-equip", "3", "pc-1=true", "Price=1200"}};
    QTest::newRow("import JSON and CSV") << QList<QStringList>{
        {"import", "game.sfc", "edit.json", "--dry-run"}, {"import", "game.sfc", "edit.json"}, {"import", "game.sfc", "enemy-stats.csv"},
        {"import", "game.sfc", "Weapons.CSV"}, {"import", "game.sfc", "enemy-names.csv"}};
    QTest::newRow("diff") << QList<QStringList>{{"diff", "game.sfc", "edited.sfc"}, {"diff", "game.sfc", "edited.sfc", "--json"}};
    QTest::newRow("info and checksum") << QList<QStringList>{{"info", "headered.smc"}, {"info", "game.sfc", "--json"},
                                                             {"checksum", "edited.sfc"}, {"checksum", "edited.sfc", "--fix"}};
    QTest::newRow("strip-header") << QList<QStringList>{{"strip-header", "headered.smc", "--output", "plain.sfc"}};
    QTest::newRow("patches") << QList<QStringList>{
        {"patch", "create", "game.sfc", "edited.sfc", "--output", "made.bps"},
        {"patch", "create", "game.sfc", "edited.sfc", "--output", "made.ips"},
        {"patch", "apply", "game.sfc", "good.bps", "--output", "from-bps.sfc"},
        {"patch", "apply", "game.sfc", "good.ips", "--output", "from-ips.sfc"}};
    QTest::newRow("refusals") << QList<QStringList>{
        {"set", "game.sfc", "weapons", "2", "attack=-1", "inflicted-status=Random 'zap'"},
        {"set", "game.sfc", "weapons", "99", "attack=1"},
        {"dump", "missing.sfc"},
        {"dump", "game.sfc", "--output", "edited.sfc"},
        {"patch", "apply", "game.sfc", "good.ips", "--output", "game.sfc", "--force"},
        {"diff", "game.sfc", "headered.smc"},
        {"frob"}};
}

void CliWindowsTest::bothBuildsGiveTheSameResults()
{
    QFETCH(QList<QStringList>, commands);
    Workspace windows;
    Workspace native;
    for (const QStringList& args : commands) {
        const CliRun a = runCli(args, windows.dir.path());
        const CliRun b = runProgram(nativeCli(), args, native.dir.path());
        const QByteArray what = args.join(' ').toUtf8();
        QVERIFY2(a.exitCode == b.exitCode, what + ": exit " + QByteArray::number(a.exitCode) + " against "
                                               + QByteArray::number(b.exitCode) + "\n" + a.err.toUtf8());
        QVERIFY2(a.out == b.out, what);
        QVERIFY2(a.err == b.err, what + "\n" + a.err.toUtf8() + "<>\n" + b.err.toUtf8());
    }
    const auto after = folderContents(windows.dir.path());
    QCOMPARE(after.keys(), folderContents(native.dir.path()).keys());
    for (const QString& name : after.keys())
        QVERIFY2(after[name] == native.bytes(name), qPrintable(name));
}

void CliWindowsTest::drivePathsAndBackslashes()
{
    Workspace w;
    const QString image = zPath(w.path("game.sfc"));
    QVERIFY(image.startsWith("Z:\\") && !image.contains('/'));
    const CliRun set = runCli({"set", image, "weapons", "3", "attack=77"});
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
    QCOMPARE(int(std::uint8_t(w.bytes("game.sfc")[tables::weapons.base + 5 * 3])), 77);
    const CliRun dump = runCli({"dump", image, "weapons", "--output", zPath(w.path("weapons.json"))});
    QVERIFY2(dump.exitCode == 0, qPrintable(dump.err));
    // the dump names the image as it was given
    QCOMPARE(QJsonDocument::fromJson(w.bytes("weapons.json")).object()["image"].toObject()["path"].toString(), image);
    const CliRun missing = runCli({"get", zPath(w.path("nothing.sfc")), "weapons", "0"});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains("cannot read " + zPath(w.path("nothing.sfc")) + ": no such file"), qPrintable(missing.err));

    // relative, with backslashes and forward slashes, from the working folder
    QVERIFY(QDir(w.dir.path()).mkdir("sub"));
    QVERIFY(QFile::copy(w.path("edited.sfc"), w.path("sub/edited.sfc")));
    const CliRun patch = runCli({"patch", "create", "game.sfc", "sub\\edited.sfc", "--output", "sub\\..\\sub/made.ips"},
                                w.dir.path());
    QVERIFY2(patch.exitCode == 0, qPrintable(patch.err));
    QVERIFY(fileContents(w.path("sub/made.ips")).startsWith("PATCH"));

    // drive C: is the prefix's drive_c folder
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    QVERIFY2(!prefix.isEmpty(), "WINEPREFIX is not set");
    QTemporaryDir onC(prefix + "/drive_c/veldra-test-XXXXXX");
    QVERIFY(onC.isValid());
    const QString cFolder = "C:\\" + QFileInfo(onC.path()).fileName();
    QVERIFY(QFile::copy(w.path("game.sfc"), onC.filePath("game.sfc")));
    const CliRun onDriveC = runCli({"set", cFolder + "\\game.sfc", "enemy-stats", "1", "hp=4321"});
    QVERIFY2(onDriveC.exitCode == 0, qPrintable(onDriveC.err));
    const QByteArray changed = fileContents(onC.filePath("game.sfc"));
    QCOMPARE(int(std::uint8_t(changed[tables::enemyStats.base + 23])) | int(std::uint8_t(changed[tables::enemyStats.base + 24])) << 8,
             4321);
    const CliRun strip = runCli({"strip-header", zPath(w.path("headered.smc")), "--output", "C:/" + QFileInfo(onC.path()).fileName() + "/plain.sfc"});
    QVERIFY2(strip.exitCode == 0, qPrintable(strip.err));
    QCOMPARE(fileContents(onC.filePath("plain.sfc")), asBytes(w.sample));
}

void CliWindowsTest::namesBeyondAscii()
{
    Workspace w;
    // Latin, Greek, Japanese, and a character outside the Basic Multilingual Plane (two UTF-16 units)
    const QString name = QString::fromUtf8("Spielstand Ärger ΣΩ ゲーム \xF0\x9F\x8E\xAE.sfc");
    QVERIFY(QFile::copy(w.path("game.sfc"), w.path(name)));
    const CliRun set = runCli({"set", name, "weapons", "1", "attack=9"}, w.dir.path());
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
    QCOMPARE(int(std::uint8_t(w.bytes(name)[tables::weapons.base + 5])), 9);

    const QString out = QString::fromUtf8("ダンプ ñ.json");
    const CliRun dump = runCli({"dump", name, "gato", "--output", out}, w.dir.path());
    QVERIFY2(dump.exitCode == 0, qPrintable(dump.err));
    // the new file carries the name as given, and the dump the image's
    QVERIFY2(QFileInfo::exists(w.path(out)), qPrintable(QDir(w.dir.path()).entryList().join('\n')));
    QCOMPARE(QJsonDocument::fromJson(w.bytes(out)).object()["image"].toObject()["path"].toString(), name);
    const CliRun stdoutDump = runCli({"dump", zPath(w.path(name)), "gato"});
    QCOMPARE(QJsonDocument::fromJson(stdoutDump.out).object()["image"].toObject()["path"].toString(), zPath(w.path(name)));

    // names in messages come back as they were given
    const QString absent = QString::fromUtf8("nicht da – ø.sfc");
    const CliRun missing = runCli({"info", absent}, w.dir.path());
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains("cannot read " + absent + ": no such file"), qPrintable(missing.err));
    const CliRun exists = runCli({"dump", name, "gato", "--output", out}, w.dir.path());
    QCOMPARE(exists.exitCode, 1);
    QVERIFY2(exists.err.contains("cannot write " + out + ": the file already exists"), qPrintable(exists.err));

    // a folder of such a name, and a relative path into it
    const QString folder = QString::fromUtf8("Ordner – 日本");
    QVERIFY(QDir(w.dir.path()).mkdir(folder));
    const CliRun patch = runCli({"patch", "create", "game.sfc", "edited.sfc", "--output", folder + "\\p.bps"}, w.dir.path());
    QVERIFY2(patch.exitCode == 0, qPrintable(patch.err));
    QVERIFY(patch.outText().startsWith("wrote " + folder + "\\p.bps"));
    QVERIFY(fileContents(w.path(folder + "/p.bps")).startsWith("BPS1"));
}

void CliWindowsTest::anExistingOutputIsReplacedOnlyWithForce()
{
    Workspace w;
    const QList<QStringList> commands{{"dump", "game.sfc", "weapons", "--output", "taken"},
                                      {"strip-header", "headered.smc", "--output", "taken"},
                                      {"patch", "create", "game.sfc", "edited.sfc", "--format", "ips", "--output", "taken"},
                                      {"patch", "apply", "game.sfc", "good.bps", "--output", "taken"}};
    for (const QStringList& args : commands) {
        writeFile(w.path("taken"), "keep me");
        const auto before = folderContents(w.dir.path());
        const CliRun refused = runCli(args, w.dir.path());
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("taken: the file already exists (--force replaces it)"), qPrintable(refused.err));
        QCOMPARE(folderContents(w.dir.path()), before);

        const CliRun forced = runCli(args + QStringList{"--force"}, w.dir.path());
        QVERIFY2(forced.exitCode == 0, qPrintable(forced.err));
        QVERIFY(w.bytes("taken") != "keep me");
        QStringList nativeArgs = args;
        nativeArgs.replaceInStrings(QRegularExpression("^taken$"), "native");
        QCOMPARE(runProgram(nativeCli(), nativeArgs, w.dir.path()).exitCode, 0);
        QCOMPARE(w.bytes("taken"), w.bytes("native"));  // what the other build writes
        QFile::remove(w.path("native"));
        auto after = folderContents(w.dir.path());
        after.remove("taken");
        auto expected = before;
        expected.remove("taken");
        QCOMPARE(after.keys(), expected.keys());  // no temporary file left behind
    }
}

void CliWindowsTest::anOutputNamingAnInputAnotherWayIsRefused_data()
{
    QTest::addColumn<QString>("spelling");  // of game.sfc, from its folder; DIR is the folder as Z:\...
    QTest::newRow("upper case") << "GAME.SFC";
    QTest::newRow("drive letter") << "DIR\\game.sfc";
    QTest::newRow("forward slashes") << "DIR/game.sfc";
    QTest::newRow("dot") << ".\\game.sfc";
    QTest::newRow("through a sub-folder") << "sub\\..\\Game.sfc";
}

void CliWindowsTest::anOutputNamingAnInputAnotherWayIsRefused()
{
    QFETCH(QString, spelling);
    Workspace w;
    QVERIFY(QDir(w.dir.path()).mkdir("sub"));
    spelling.replace("DIR", zPath(w.dir.path()));
    if (spelling.contains('/'))
        spelling.replace('\\', '/');
    const auto before = folderContents(w.dir.path());
    const QList<QStringList> commands{{"dump", "game.sfc", "--output", spelling, "--force"},
                                      {"patch", "apply", "game.sfc", "good.ips", "--output", spelling, "--force"},
                                      {"patch", "create", "game.sfc", "edited.sfc", "--output", spelling, "--format", "bps", "--force"}};
    for (const QStringList& args : commands) {
        const CliRun refused = runCli(args, w.dir.path());
        QVERIFY2(refused.exitCode == 1, qPrintable(args.join(' ') + "\n" + refused.err));
        QVERIFY2(refused.err.contains("names the image itself") || refused.err.contains("which is only read"),
                 qPrintable(refused.err));
        QCOMPARE(folderContents(w.dir.path()), before);
    }
}

void CliWindowsTest::devicesAreNoFiles()
{
    Workspace w;
    const auto before = folderContents(w.dir.path());
    for (const QStringList& args : QList<QStringList>{{"dump", "NUL"}, {"set", "NUL", "weapons", "0", "attack=1"},
                                                      {"info", "NUL"}, {"set", "COM1", "weapons", "0", "attack=1"}}) {
        const CliRun refused = runCli(args, w.dir.path());
        QVERIFY2(refused.exitCode == 1, qPrintable(args.join(' ') + "\n" + refused.err));
        QVERIFY2(refused.err.contains("cannot read " + args[1] + ": "), qPrintable(args.join(' ') + "\n" + refused.err));
    }
    QCOMPARE(folderContents(w.dir.path()), before);
}

void CliWindowsTest::readOnlyFilesAreLeftAlone()
{
    Workspace w;
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(w.path("game.sfc"), readOnly));
    QVERIFY(QFile::setPermissions(w.path("edited.sfc"), readOnly));
    const auto before = folderContents(w.dir.path());
    const CliRun set = runCli({"set", "game.sfc", "weapons", "0", "attack=1"}, w.dir.path());
    QCOMPARE(set.exitCode, 1);
    QVERIFY2(set.err.contains("cannot write game.sfc: the file is read-only"), qPrintable(set.err));
    const CliRun fix = runCli({"checksum", "edited.sfc", "--fix"}, w.dir.path());
    QCOMPARE(fix.exitCode, 1);
    QVERIFY2(fix.err.contains("read-only"), qPrintable(fix.err));
    const CliRun replace = runCli({"patch", "apply", "game.sfc", "good.ips", "--output", "edited.sfc", "--force"}, w.dir.path());
    QCOMPARE(replace.exitCode, 1);
    QVERIFY2(replace.err.contains("cannot write edited.sfc: the file is read-only"), qPrintable(replace.err));
    QCOMPARE(folderContents(w.dir.path()), before);
    // reading it is fine
    QCOMPARE(runCli({"get", "game.sfc", "weapons", "0"}, w.dir.path()).exitCode, 0);
}

void CliWindowsTest::aFileAnotherProgramHoldsIsLeftAlone()
{
    Workspace w;
    const QString image = zPath(w.path("game.sfc"));
    const QByteArray before = w.bytes("game.sfc");
    {
        // an emulator that lets others read, not write
        HeldFile emulator("share-read", image);
        QVERIFY(emulator.held());
        QCOMPARE(runCli({"get", image, "weapons", "0"}).exitCode, 0);
        const CliRun set = runCli({"set", image, "weapons", "0", "attack=1"});
        QCOMPARE(set.exitCode, 1);
        QVERIFY2(set.err.contains("cannot write " + image + ": another program has the file open and does not share it"),
                 qPrintable(set.err));
    }
    {
        HeldFile editor("share-none", image);
        QVERIFY(editor.held());
        const CliRun dump = runCli({"dump", image});
        QCOMPARE(dump.exitCode, 1);
        QVERIFY(dump.out.isEmpty());
        QVERIFY2(dump.err.contains("cannot read " + image + ": another program has the file open"), qPrintable(dump.err));
        QCOMPARE(runCli({"set", image, "weapons", "0", "attack=1"}).exitCode, 1);
    }
    {
        // another writer of this program (a window, the tool) in the middle
        // of its save: readers go on, a writer waits and then gives up
        HeldFile writer("writer", image);
        QVERIFY(writer.held());
        QCOMPARE(runCli({"get", image, "weapons", "0"}).exitCode, 0);
        const CliRun set = runCli({"set", image, "weapons", "0", "attack=1"});
        QCOMPARE(set.exitCode, 1);
        QVERIFY2(set.err.contains("cannot write " + image + ": another program or window is writing it"),
                 qPrintable(set.err));
    }
    QCOMPARE(w.bytes("game.sfc"), before);
    // once it is let go, the tool writes
    QCOMPARE(runCli({"set", image, "weapons", "0", "attack=1"}).exitCode, 0);
}

// Two runs of the tool writing different fields of one record at once, round
// after round: the writers' lock makes one wait for the other, and no round
// loses a change.
void CliWindowsTest::twoWritersAtOnceLoseNoChange()
{
    Workspace w;
    const QString image = zPath(w.path("game.sfc"));
    const std::uint32_t stats = tables::enemyStats.base + 7 * tables::enemyStats.recordSize;
    const std::uint32_t level = stats + tables::enemyStats.field("s2")->offset;
    const std::uint32_t speed = stats + tables::enemyStats.field("s9")->offset;
    const CliProgram tool = cliUnderTest();
    for (int round = 1; round <= 12; ++round) {
        QProcess a;
        QProcess b;
        a.start(tool.runner, {tool.path, "set", image, "enemy-stats", "7", QStringLiteral("level=%1").arg(round)});
        b.start(tool.runner, {tool.path, "set", image, "enemy-stats", "7", QStringLiteral("speed=%1").arg(200 - round)});
        QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const QByteArray now = w.bytes("game.sfc");
        QCOMPARE(int(std::uint8_t(now[level])), round);
        QCOMPARE(int(std::uint8_t(now[speed])), 200 - round);
    }
}

// Paths beyond 260 characters: with the long-path prefix \\?\ (which the
// system takes as it stands) and without it (the manifest lets a Windows with
// long paths turned on take them), and names of up to 255 characters, whose
// temporary name beside them must fit too.
void CliWindowsTest::longPathsAreWritten()
{
    Workspace w;
    const QString prefixed = "\\\\?\\" + zPath(w.path("game.sfc"));
    const CliRun dump = runCli({"dump", prefixed, "weapons", "--output", "\\\\?\\" + zPath(w.path("weapons.json"))});
    QVERIFY2(dump.exitCode == 0, qPrintable(dump.err));
    QVERIFY(QFileInfo::exists(w.path("weapons.json")));

    // a name of 250 characters, written by both builds
    const QString longName = QString(246, 'n') + ".ips";
    const QStringList create{"patch", "create", "game.sfc", "edited.sfc", "--output", longName};
    const CliRun windows = runCli(create, w.dir.path());
    QVERIFY2(windows.exitCode == 0, qPrintable(windows.err));
    QVERIFY(fileContents(w.path(longName)).startsWith("PATCH"));
    QVERIFY(QFile::remove(w.path(longName)));
    QCOMPARE(runProgram(nativeCli(), create, w.dir.path()).exitCode, 0);

    // folders that make the whole path about 400 characters long
    QString deep = w.dir.path();
    for (int i = 0; i < 3; ++i) {
        deep += "/" + QString(120, QChar('a' + i));
        QVERIFY(QDir().mkdir(deep));
    }
    QVERIFY(QFile::copy(w.path("game.sfc"), deep + "/game.sfc"));
    const QString deepImage = zPath(deep + "/game.sfc");
    QVERIFY(deepImage.size() > 360);
    const CliRun deepSet = runCli({"set", deepImage, "enemy-stats", "1", "hp=999"});
    QVERIFY2(deepSet.exitCode == 0, qPrintable(deepSet.err));
    for (const QString& image : {"\\\\?\\" + deepImage, deepImage}) {
        const CliRun deepDump = runCli({"dump", image, "enemy-stats", "--format", "csv", "--output", image + ".csv", "--force"});
        QVERIFY2(deepDump.exitCode == 0, qPrintable(deepDump.err));
        QVERIFY(fileContents(deep + "/game.sfc.csv").contains("\r\n1,999,"));
    }
    // nothing left beside the outputs but the outputs
    QCOMPARE(QDir(deep).entryList(QDir::Files | QDir::Hidden), QStringList({"game.sfc", "game.sfc.csv"}));
}

// An edit through the long-path prefix keeps its save in the image's history
// like any other, so that it can be undone: the history finds the image by
// the name the system resolves (canonicalPath).
void CliWindowsTest::theLongPathPrefixReachesTheHistory()
{
    Workspace w;
    QString deep = w.dir.path();
    for (int i = 0; i < 3; ++i) {
        deep += "/" + QString(120, QChar('k' + i));
        QVERIFY(QDir().mkdir(deep));
    }
    QVERIFY(QFile::copy(w.path("game.sfc"), deep + "/game.sfc"));
    for (const QString& image : {"\\\\?\\" + zPath(w.path("game.sfc")), "\\\\?\\" + zPath(deep + "/game.sfc")}) {
        const CliRun set = runCli({"set", image, "weapons", "3", "attack=77"});
        QVERIFY2(set.exitCode == 0, qPrintable(set.err));
        const QString file = image.endsWith(zPath(deep + "/game.sfc")) ? deep + "/game.sfc" : w.path("game.sfc");
        QCOMPARE(int(std::uint8_t(fileContents(file)[tables::weapons.base + 5 * 3])), 77);
        const CliRun undo = runCli({"undo", image});
        QVERIFY2(undo.exitCode == 0, qPrintable(undo.err));
        QCOMPARE(fileContents(file), asBytes(w.sample));
    }
}

// What Windows users meet and must be told in their own terms: a file a
// spreadsheet holds open, a name Windows keeps for a device, and the files a
// spreadsheet or PowerShell writes.
void CliWindowsTest::refusalsSayWhatToDo()
{
    Workspace w;
    const QStringList dumpCsv{"dump", "game.sfc", "enemy-stats", "--format", "csv", "--output"};
    writeFile(w.path("open.csv"), "kept");
    {
        HeldFile spreadsheet("share-read", zPath(w.path("open.csv")));
        QVERIFY(spreadsheet.held());
        const CliRun held = runCli(dumpCsv + QStringList{"open.csv", "--force"}, w.dir.path());
        QCOMPARE(held.exitCode, 1);
        QVERIFY2(held.err.contains("cannot write open.csv: the file is open in another program"), qPrintable(held.err));
        QVERIFY2(!held.err.contains("read-only"), qPrintable(held.err));
    }
    QCOMPARE(w.bytes("open.csv"), QByteArray("kept"));

    const auto before = folderContents(w.dir.path());
    for (const QString& device : QStringList{"NUL", "CON", "con.csv", "Aux.json", "COM1", "lpt9.txt", "nul .csv"}) {
        for (const QStringList& force : {QStringList{}, QStringList{"--force"}}) {
            const CliRun refused = runCli(dumpCsv + QStringList{device} + force, w.dir.path());
            QCOMPARE(refused.exitCode, 1);
            QVERIFY2(refused.err.contains("cannot write " + device + ": "), qPrintable(refused.err));
            QVERIFY2(refused.err.contains(" is a device name that Windows reserves"), qPrintable(refused.err));
            QVERIFY2(!refused.err.contains("already exists"), qPrintable(refused.err));
        }
    }
    QCOMPARE(folderContents(w.dir.path()), before);
    // names that only look like one are files
    for (const QString& name : QStringList{"console.csv", "COM10.csv", "nul-data.csv"}) {
        const CliRun written = runCli(dumpCsv + QStringList{name}, w.dir.path());
        QVERIFY2(written.exitCode == 0, qPrintable(name + ": " + written.err));
        QVERIFY(QFileInfo::exists(w.path(name)));
    }

    // a spreadsheet's semicolons under a name in capitals, and PowerShell's UTF-16
    const CliRun semicolons = runCli({"import", "game.sfc", "Weapons.CSV"}, w.dir.path());
    QVERIFY2(semicolons.exitCode == 0, qPrintable(semicolons.err));
    const QByteArray now = w.bytes("game.sfc");
    QCOMPARE(int(std::uint8_t(now[tables::weapons.base + 5 * 3])), 88);
    QCOMPARE(int(std::uint8_t(now[tables::weapons.base + 5 * 3 + 2])), 7);
    const CliRun utf16 = runCli({"import", "game.sfc", "enemy-names.csv"}, w.dir.path());
    QVERIFY2(utf16.exitCode == 0, qPrintable(utf16.err));
    QVERIFY2(utf16.outText().contains("enemy-names[6].name: "), qPrintable(utf16.outText()));
    QVERIFY2(utf16.outText().contains("-> \"Bat II "), qPrintable(utf16.outText()));
}

void CliWindowsTest::slashQuestionMarkIsHelp()
{
    for (const QStringList& args : QList<QStringList>{{"/?"}, {"dump", "/?"}}) {
        QStringList help = args;
        help.replaceInStrings("/?", "--help");
        const CliRun expected = runCli(help);
        QCOMPARE(expected.exitCode, 0);
        const CliRun asked = runCli(args);
        QVERIFY2(asked.exitCode == 0, qPrintable(asked.err));
        QVERIFY(asked.out.size() > 200);
        QCOMPARE(asked.out, expected.out);
    }
    // without a console window of its own (here: pipes) no arguments are a
    // fault of the command line, not a double click that waits for a key
    const CliRun none = runCli({});
    QCOMPARE(none.exitCode, 2);
    QVERIFY(none.out.isEmpty());
}

namespace {

QJsonArray restorePoints(const QString& image)
{
    const CliRun listed = runCli({"restore", image, "--list", "--json"});
    return listed.exitCode == 0 ? QJsonDocument::fromJson(listed.out).array() : QJsonArray{};
}

}  // namespace

// The image is replaced by a new file while the tool itself still holds it
// open (its writers' lock); a restore that cannot be done keeps no point.
void CliWindowsTest::aRestoreInPlaceReplacesTheImage()
{
    Workspace w;
    const QString image = zPath(w.path("game.sfc"));
    const QByteArray original = w.bytes("game.sfc");
    QCOMPARE(runCli({"set", image, "weapons", "4", "attack=120"}).exitCode, 0);
    const QByteArray edited = w.bytes("game.sfc");
    QCOMPARE(restorePoints(image).size(), 1);
    {
        // a viewer that shares everything: the file cannot be replaced under it
        HeldFile viewer("share-all", image);
        QVERIFY(viewer.held());
        for (int attempt = 0; attempt < 2; ++attempt) {
            const CliRun refused = runCli({"restore", image, "1", "--in-place"});
            QCOMPARE(refused.exitCode, 1);
            QVERIFY2(refused.err.contains("nothing was"), qPrintable(refused.err));
        }
        QCOMPARE(w.bytes("game.sfc"), edited);
        QCOMPARE(restorePoints(image).size(), 1);
    }
    // temporary files of earlier runs: one whose writer was killed, one whose
    // writer still holds it (open, shared with nobody)
    const QString killed = ".game.sfc.999-0-0badf00d.part", writing = ".game.sfc.998-0-0badcafe.part";
    for (const QString& name : {killed, writing}) {
        writeFile(w.path(name), "part");
        std::filesystem::last_write_time(w.path(name).toStdString(),
                                         std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5));
    }
    {
        HeldFile writer("share-none", zPath(w.path(writing)));
        QVERIFY(writer.held());
        const CliRun done = runCli({"restore", image, "1", "--in-place"});
        QVERIFY2(done.exitCode == 0, qPrintable(done.err));
        QVERIFY(!QFile::exists(w.path(killed)));
        QVERIFY(QFile::exists(w.path(writing)));
    }
    QVERIFY(QFile::remove(w.path(writing)));
    QCOMPARE(w.bytes("game.sfc"), original);
    const QJsonArray points = restorePoints(image);
    QCOMPARE(points.size(), 2);
    QCOMPARE(points[0].toObject()["writer"].toString(), QStringLiteral("veldra-cli-restore"));
    QString kept = points[0].toObject()["file"].toString();  // as the data folder is named: "Z:\\..." or "/..."
    if (kept.startsWith("Z:", Qt::CaseInsensitive))
        kept = kept.mid(2);
    QCOMPARE(fileContents(kept.replace('\\', '/')), edited);
    // nothing is left beside the image
    QCOMPARE(QDir(w.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".part").size(), 0);
}

// Windows names are case-insensitive: the drive letter and the name in
// either case are one file, with one history and one set of points.
void CliWindowsTest::everySpellingOfANameFindsOneHistory()
{
    Workspace w;
    const QString image = zPath(w.path("game.sfc"));
    const QString folder = zPath(w.dir.path());
    const QStringList spellings = {image, "z" + image.mid(1), folder + "\\GAME.SFC", folder.toUpper() + "\\Game.sfc"};
    for (int i = 0; i < spellings.size(); ++i) {
        const CliRun set = runCli({"set", spellings[i], "weapons", "4", QStringLiteral("attack=%1").arg(100 + i)});
        QVERIFY2(set.exitCode == 0, qPrintable(set.err));
    }
    // the first run kept the one point (the image then went on as the
    // history left it); every spelling lists that same point
    const QJsonArray points = restorePoints(image);
    QCOMPARE(points.size(), 1);
    for (const QString& spelling : spellings) {
        QCOMPARE(restorePoints(spelling), points);
        const CliRun history = runCli({"history", spelling, "--json"});
        QCOMPARE(QJsonDocument::fromJson(history.out)["saves"].toArray().size(), spellings.size());
    }
    // the undo of the latest save, made through another spelling
    QCOMPARE(runCli({"undo", spellings[0]}).exitCode, 0);
    QCOMPARE(int(std::uint8_t(w.bytes("game.sfc")[tables::weapons.base + 4 * tables::weapons.recordSize])), 102);
}

QTEST_GUILESS_MAIN(CliWindowsTest)
#include "test_cli_windows.moc"
