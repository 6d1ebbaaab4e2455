#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "rom/history/data_folder.h"
#include "rom/history/restore_points.h"
#include "rom/tables.h"

#include <QAction>
#include "app/recent_images.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>

// Restore points: whole copies of an image kept before a write that finds it
// not as the program left it (or without any point), listed and written back from the windows and the tool. The data
// folder is the tests' own (VELDRA_FORGE_DATA_DIR).

namespace fs = std::filesystem;

namespace {

std::vector<RestorePoint> pointsOf(const QString& image)
{
    auto points = listRestorePoints(image.toStdString());
    return points ? *points : std::vector<RestorePoint>{};
}

fs::path historyOf(const QString& image) { return *historyFolderFor(image.toStdString()); }

const std::uint32_t kWeapon4Attack = tables::weapons.base + 4 * tables::weapons.recordSize;

// Weapon 4's attack typed and saved in the weapon window.
void saveAttack(QWidget* weapon, const QString& value)
{
    clickRow(child<QListWidget>(weapon, QStringLiteral("List1")), 4);
    typeInto(child<QLineEdit>(weapon, QStringLiteral("Text1")), value);
    clickSave(weapon);
}

QStringList toolSet(const QString& image, int attack)
{
    return {QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("4"),
            QStringLiteral("attack=%1").arg(attack)};
}

}  // namespace

class RestorePointsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { forgetRestorePointsOfThisRun(); }

    void firstSaveOfARunKeepsTheImageAsItWas();
    void restoreWindowAsksAndWritesTheWholeImageBack();
    void toolRestoresToANewFileAndInPlace();
    void restoreIsRefusedOverAFileThatIsNotTheGame();
    void theNewestPointsAreKept();
    void turnedOffKeepsNothing();
    void aCopyThatCannotBeMadeRefusesTheSave();
    void clearingTheHistoryIsSeenAndPointsAreKeptAgain();
    void theToolReachesThePointsOfAGoneImage();
    void theWindowWritesOutThePointsOfAGoneRecentImage();
    void aRestoreWithHistoryOffKeepsTheImageItReplaces();
};

void RestorePointsTest::firstSaveOfARunKeepsTheImageAsItWas()
{
    Session s;
    const Bytes original = s.image.bytes();
    QWidget* w = s.openEditor(3, QStringLiteral("Weapon"));
    saveAttack(w, QStringLiteral("120"));
    saveAttack(w, QStringLiteral("121"));
    QCOMPARE(s.image.bytesAt(kWeapon4Attack, 1), Bytes{121});
    const auto points = pointsOf(s.image.path());
    QCOMPARE(points.size(), std::size_t(1));  // one per run, not per save
    QCOMPARE(SampleImage::read(QString::fromStdString(points[0].file.string())), original);
    QCOMPARE(QString::fromStdString(points[0].writer), QStringLiteral("veldra-forge"));

    // a new run that finds the image as the program left it keeps no copy:
    // the point and the journal hold it already
    forgetRestorePointsOfThisRun();
    saveAttack(w, QStringLiteral("122"));
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(1));

    // one that finds it changed by another program keeps a point of it as it found it
    forgetRestorePointsOfThisRun();
    s.image.poke(0x300000, {0xAB});
    const Bytes second = s.image.bytes();
    saveAttack(w, QStringLiteral("123"));
    const auto after = pointsOf(s.image.path());
    QCOMPARE(after.size(), std::size_t(2));
    QCOMPARE(SampleImage::read(QString::fromStdString(after[0].file.string())), second);
    // and so does a save in the same run after such a change
    s.image.poke(0x300001, {0xCD});
    const Bytes third = s.image.bytes();
    saveAttack(w, QStringLiteral("124"));
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(3));
    QCOMPARE(SampleImage::read(QString::fromStdString(pointsOf(s.image.path())[0].file.string())), third);
}

void RestorePointsTest::restoreWindowAsksAndWritesTheWholeImageBack()
{
    Session s;
    const Bytes original = s.image.bytes();
    QWidget* weapon = s.openEditor(3, QStringLiteral("Weapon"));
    saveAttack(weapon, QStringLiteral("120"));
    // a byte outside every table changed too: the restore is of the whole file
    s.image.poke(0x300000, {0xAB});
    const Bytes edited = s.image.bytes();

    auto* action = s.mainWindow()->findChild<QAction*>(QStringLiteral("RestorePoints"));
    QVERIFY(action);
    action->trigger();
    QWidget* w = s.shell().windows().find(QStringLiteral("RestorePoints"));
    QVERIFY(w);
    auto* list = child<QListWidget>(w, QStringLiteral("RestoreList"));
    QCOMPARE(list->count(), 1);
    QVERIFY2(list->item(0)->text().contains(QStringLiteral("1 save after it")), qPrintable(list->item(0)->text()));

    clickRow(list, 0);
    s.platform.askAnswers = {false};
    clickSave(w, QStringLiteral("Restore"));
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY(s.platform.questions[0].contains(QDir::toNativeSeparators(s.image.path())));
    QCOMPARE(s.image.bytes(), edited);  // No writes nothing
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(1));

    s.platform.askAnswers = {true};
    clickSave(w, QStringLiteral("Restore"));
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QCOMPARE(s.image.bytes(), original);
    // the open editor shows what the image holds now
    QCOMPARE(child<QLineEdit>(weapon, QStringLiteral("Text1"))->text(), QString::number(original[kWeapon4Attack]));
    // and the restore is undone by restoring the point kept just before it
    const auto points = pointsOf(s.image.path());
    QCOMPARE(points.size(), std::size_t(2));
    QCOMPARE(list->count(), 2);
    QCOMPARE(SampleImage::read(QString::fromStdString(points[0].file.string())), edited);
    clickRow(list, 0);
    s.platform.askAnswers = {true};
    clickSave(w, QStringLiteral("Restore"));
    QCOMPARE(s.image.bytes(), edited);
}

void RestorePointsTest::toolRestoresToANewFileAndInPlace()
{
    SampleImage image;
    const Bytes original = image.bytes();
    QCOMPARE(runCli(toolSet(image.path(), 120)).exitCode, 0);
    const Bytes edited = image.bytes();

    const CliRun listed = runCli({QStringLiteral("restore"), image.path(), QStringLiteral("--list"), QStringLiteral("--json")});
    QCOMPARE(listed.exitCode, 0);
    const QJsonArray list = QJsonDocument::fromJson(listed.out).array();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0][QStringLiteral("writer")].toString(), QStringLiteral("veldra-cli-set"));
    const QString name = list[0][QStringLiteral("name")].toString();

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("back.sfc"));
    const CliRun copied = runCli({QStringLiteral("restore"), image.path(), name, QStringLiteral("--output"), out});
    QCOMPARE(copied.exitCode, 0);
    QCOMPARE(SampleImage::read(out), original);
    QCOMPARE(image.bytes(), edited);
    // an existing output is never replaced
    writeFile(out, "keep");
    QCOMPARE(runCli({QStringLiteral("restore"), image.path(), QStringLiteral("1"), QStringLiteral("--output"), out}).exitCode, 1);
    QCOMPARE(fileContents(out), QByteArray("keep"));
    // usage faults
    QCOMPARE(runCli({QStringLiteral("restore"), image.path(), QStringLiteral("1")}).exitCode, 2);
    QCOMPARE(runCli({QStringLiteral("restore"), image.path(), QStringLiteral("7"), QStringLiteral("--in-place")}).exitCode, 1);

    const CliRun back = runCli({QStringLiteral("restore"), image.path(), QStringLiteral("1"), QStringLiteral("--in-place")});
    QCOMPARE(back.exitCode, 0);
    QCOMPARE(image.bytes(), original);
    // the state before the restore is the newest point now
    const auto points = pointsOf(image.path());
    QCOMPARE(points.size(), std::size_t(2));
    QCOMPARE(SampleImage::read(QString::fromStdString(points[0].file.string())), edited);
}

void RestorePointsTest::restoreIsRefusedOverAFileThatIsNotTheGame()
{
    SampleImage image;
    QCOMPARE(runCli(toolSet(image.path(), 120)).exitCode, 0);
    // the image became something else: no restore over it
    image.poke(kIdentityPosition, {0, 0, 0, 0});
    const Bytes other = image.bytes();
    const CliRun refused = runCli({QStringLiteral("restore"), image.path(), QStringLiteral("1"), QStringLiteral("--in-place")});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("not a Veldra Saga ROM")), qPrintable(refused.err));
    QCOMPARE(image.bytes(), other);

    // a point that is no image of the game is never written back
    image.poke(kIdentityPosition, {0x20, 0x4E, 0x10, 0xAD});
    const Bytes game = image.bytes();
    QCOMPARE(pointsOf(image.path()).size(), std::size_t(1));
    // (kept whole, with its check: only what it holds is wrong)
    QVERIFY(keepRestorePoint(image.path().toStdString(), Bytes(kImageSize, 0)).ok());
    const CliRun bad = runCli({QStringLiteral("restore"), image.path(), QStringLiteral("1"), QStringLiteral("--in-place")});
    QCOMPARE(bad.exitCode, 1);
    QVERIFY2(bad.err.contains(QStringLiteral("is not an image of Veldra Saga")), qPrintable(bad.err));
    QCOMPARE(image.bytes(), game);
}

void RestorePointsTest::theNewestPointsAreKept()
{
    SampleImage image;
    // runs of the tool that find the image as the history left it keep no
    // new point: a script of sets keeps one
    for (int run = 0; run < 5; ++run)
        QCOMPARE(runCli(toolSet(image.path(), 90 + run)).exitCode, 0);
    QCOMPARE(pointsOf(image.path()).size(), std::size_t(1));

    std::vector<Bytes> before;
    for (int run = 0; run < 11; ++run) {  // each run of the tool finds a byte changed by another program
        image.poke(0x300000, {std::uint8_t(0x40 + run)});
        before.push_back(image.bytes());
        QCOMPARE(runCli(toolSet(image.path(), 100 + run)).exitCode, 0);
    }
    const auto points = pointsOf(image.path());
    QCOMPARE(points.size(), std::size_t(10));
    // newest first: the oldest run's copy is the one let go
    QCOMPARE(SampleImage::read(QString::fromStdString(points.front().file.string())), before[10]);
    QCOMPARE(SampleImage::read(QString::fromStdString(points.back().file.string())), before[1]);

    // the number kept is a setting the tool honours too
    QVERIFY(setKeptRestorePoints(3).ok());
    image.poke(0x300000, {0xEE});
    QCOMPARE(runCli(toolSet(image.path(), 99)).exitCode, 0);
    QCOMPARE(pointsOf(image.path()).size(), std::size_t(3));
    QVERIFY(setKeptRestorePoints(kDefaultKeptPoints).ok());
    QVERIFY(!setKeptRestorePoints(0));
}

void RestorePointsTest::turnedOffKeepsNothing()
{
    Session s;
    auto* action = s.mainWindow()->findChild<QAction*>(QStringLiteral("HistorySettings"));
    QVERIFY(action);
    action->trigger();
    QWidget* settings = s.shell().windows().find(QStringLiteral("HistorySettings"));
    QVERIFY(settings);
    auto* off = child<QCheckBox>(settings, QStringLiteral("HistoryOff"));
    QVERIFY(off && !off->isChecked());
    off->click();
    QVERIFY(historyTurnedOff(historyOf(s.image.path())));

    saveAttack(s.openEditor(3, QStringLiteral("Weapon")), QStringLiteral("120"));
    QCOMPARE(runCli(toolSet(s.image.path(), 121)).exitCode, 0);
    QCOMPARE(s.image.bytesAt(kWeapon4Attack, 1), Bytes{121});
    QVERIFY(!fs::exists(historyOf(s.image.path()) / "restore"));

    // on again, and cleared after a question: the points go, the image stays
    off->click();
    QVERIFY(!historyTurnedOff(historyOf(s.image.path())));
    QCOMPARE(runCli(toolSet(s.image.path(), 122)).exitCode, 0);
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(1));
    s.platform.askAnswers = {false, true};
    clickSave(settings, QStringLiteral("ClearHistory"));
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(1));
    clickSave(settings, QStringLiteral("ClearHistory"));
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(0));
    QCOMPARE(s.image.bytesAt(kWeapon4Attack, 1), Bytes{122});
}

void RestorePointsTest::aCopyThatCannotBeMadeRefusesTheSave()
{
    SampleImage image;
    // the restore folder cannot be made: a file stands in its place
    const fs::path history = historyOf(image.path());
    fs::create_directories(history);
    std::ofstream(history / "restore") << "in the way";
    const Bytes before = image.bytes();
    const CliRun refused = runCli(toolSet(image.path(), 120));
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("restore point could not be kept")), qPrintable(refused.err));
    QCOMPARE(image.bytes(), before);
}

void RestorePointsTest::clearingTheHistoryIsSeenAndPointsAreKeptAgain()
{
    Session s;
    QWidget* weapon = s.openEditor(3, QStringLiteral("Weapon"));
    saveAttack(weapon, QStringLiteral("120"));
    s.mainWindow()->findChild<QAction*>(QStringLiteral("RestorePoints"))->trigger();
    QWidget* points = s.shell().windows().find(QStringLiteral("RestorePoints"));
    QVERIFY(points);
    auto* list = child<QListWidget>(points, QStringLiteral("RestoreList"));
    QCOMPARE(list->count(), 1);

    s.mainWindow()->findChild<QAction*>(QStringLiteral("HistorySettings"))->trigger();
    QWidget* settings = s.shell().windows().find(QStringLiteral("HistorySettings"));
    QVERIFY(settings);
    s.platform.askAnswers = {true};
    clickSave(settings, QStringLiteral("ClearHistory"));
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QCOMPARE(pointsOf(s.image.path()).size(), std::size_t(0));
    // the open list follows: no point that is gone is offered
    QCOMPARE(list->count(), 0);
    QVERIFY(!child<QPushButton>(points, QStringLiteral("Restore"))->isEnabled());

    // as the window says, the next save keeps one, in this run too
    const Bytes before = s.image.bytes();
    saveAttack(weapon, QStringLiteral("121"));
    const auto kept = pointsOf(s.image.path());
    QCOMPARE(kept.size(), std::size_t(1));
    QCOMPARE(SampleImage::read(QString::fromStdString(kept[0].file.string())), before);
    QCOMPARE(list->count(), 1);
}

void RestorePointsTest::theToolReachesThePointsOfAGoneImage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.sfc"));
    QByteArray original;
    {
        SampleImage image;
        original = fileContents(image.path());
        QVERIFY(QFile::copy(image.path(), path));
    }
    QCOMPARE(runCli(toolSet(path, 120)).exitCode, 0);
    QVERIFY(QFile::remove(path));

    const CliRun listed = runCli({QStringLiteral("restore"), path, QStringLiteral("--list")});
    QVERIFY2(listed.exitCode == 0, qPrintable(listed.err));
    QVERIFY2(listed.out.startsWith("1  "), listed.out.constData());
    const QString out = dir.filePath(QStringLiteral("back.sfc"));
    const CliRun copied = runCli({QStringLiteral("restore"), path, QStringLiteral("1"), QStringLiteral("--output"), out});
    QVERIFY2(copied.exitCode == 0, qPrintable(copied.err));
    QCOMPARE(fileContents(out), original);
    const CliRun inPlace = runCli({QStringLiteral("restore"), path, QStringLiteral("1"), QStringLiteral("--in-place")});
    QCOMPARE(inPlace.exitCode, 1);
    QVERIFY2(inPlace.err.contains(QStringLiteral("there is no such file")), qPrintable(inPlace.err));
    QVERIFY(!QFile::exists(path));
    QVERIFY(clearImageHistory(path.toStdString()));
}

void RestorePointsTest::theWindowWritesOutThePointsOfAGoneRecentImage()
{
    Session s;
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("gone.sfc"));
    QVERIFY(QFile::copy(s.image.path(), gone));
    const QByteArray original = fileContents(gone);
    QCOMPARE(runCli(toolSet(gone, 120)).exitCode, 0);
    RecentImages().add(gone);
    QVERIFY(QFile::remove(gone));

    s.mainWindow()->findChild<QAction*>(QStringLiteral("RestorePoints"))->trigger();
    QWidget* w = s.shell().windows().find(QStringLiteral("RestorePoints"));
    QVERIFY(w);
    auto* images = child<QComboBox>(w, QStringLiteral("RestoreImage"));
    QCOMPARE(images->count(), 2);  // the loaded image, then the gone one
    QCOMPARE(images->currentData().toString(), s.image.path());
    images->setCurrentIndex(1);
    emit images->activated(1);
    QVERIFY(images->currentText().contains(QStringLiteral("(gone)")));
    auto* list = child<QListWidget>(w, QStringLiteral("RestoreList"));
    QCOMPARE(list->count(), 1);
    clickRow(list, 0);
    // never written back over the loaded image
    QVERIFY(!child<QPushButton>(w, QStringLiteral("Restore"))->isEnabled());
    const Bytes loaded = s.image.bytes();
    const QString out = dir.filePath(QStringLiteral("back.sfc"));
    s.platform.saveAnswers = {out};
    clickSave(w, QStringLiteral("RestoreToFile"));
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QCOMPARE(fileContents(out), original);
    QCOMPARE(s.image.bytes(), loaded);
    QVERIFY(clearImageHistory(gone.toStdString()));
}

void RestorePointsTest::aRestoreWithHistoryOffKeepsTheImageItReplaces()
{
    Session s;
    const Bytes original = s.image.bytes();
    saveAttack(s.openEditor(3, QStringLiteral("Weapon")), QStringLiteral("120"));
    s.mainWindow()->findChild<QAction*>(QStringLiteral("HistorySettings"))->trigger();
    QWidget* settings = s.shell().windows().find(QStringLiteral("HistorySettings"));
    QVERIFY(settings);
    child<QCheckBox>(settings, QStringLiteral("HistoryOff"))->click();
    QVERIFY(historyTurnedOff(historyOf(s.image.path())));
    const Bytes edited = s.image.bytes();

    s.mainWindow()->findChild<QAction*>(QStringLiteral("RestorePoints"))->trigger();
    QWidget* w = s.shell().windows().find(QStringLiteral("RestorePoints"));
    QVERIFY(w);
    clickRow(child<QListWidget>(w, QStringLiteral("RestoreList")), 0);
    s.platform.askAnswers = {true};
    clickSave(w, QStringLiteral("Restore"));
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QCOMPARE(s.image.bytes(), original);
    QVERIFY(child<QLabel>(w, QStringLiteral("RestoreStatus"))->text().contains(QStringLiteral("restore the newest point")));
    // as the window says: the newest point is the image as it was
    const auto points = pointsOf(s.image.path());
    QCOMPARE(points.size(), std::size_t(2));
    QCOMPARE(SampleImage::read(QString::fromStdString(points[0].file.string())), edited);
}

QTEST_MAIN(RestorePointsTest)
#include "test_restore_points.moc"
