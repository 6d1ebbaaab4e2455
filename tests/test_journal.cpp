#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "rom/history/data_folder.h"
#include "rom/history/image_history.h"
#include "rom/history/journal.h"
#include "rom/image_facts.h"
#include "rom/record_io.h"
#include "rom/tables.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The journal that keeps an image's saves beyond the program's end: read back
// after a restart and after a kill, torn or unreadable journals, the bound,
// and the tool's and the windows' saves seen by each other.

namespace {

const Table& kWeapons = tables::weapons;
const std::uint32_t kAttack4 = tables::weapons.base + 4 * tables::weapons.recordSize;

QAction* action(Session& s, const char* name) { return s.mainWindow()->findChild<QAction*>(name); }

QListWidget* historyList(Session& s)
{
    action(s, "History")->trigger();
    return child<QListWidget>(s.shell().windows().find(QStringLiteral("History")), QStringLiteral("HistoryList"));
}

// The weapon window on entry 4, its attack typed and saved as a user would.
void saveAttack(Session& s, int attack)
{
    QWidget* w = s.openEditor(3, QStringLiteral("Weapon"));
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), 4);
    typeInto(child<QLineEdit>(w, QStringLiteral("Text1")), QString::number(attack));
    clickSave(w);
}

std::filesystem::path journalOf(const QString& image) { return *historyFolderFor(image.toStdString()) / "journal"; }

// A save of entry `index` of the weapons with byte 0 from `from` to `to`, as the journal keeps it.
JournalEntry weaponSave(const RomImage& image, int index, std::uint8_t to, JournalKind kind = JournalKind::Save)
{
    Bytes before = *readRecord(image, kWeapons, index);
    Bytes after = before;
    after[0] = to;
    return {kind, {{{&kWeapons, index, before, after}}, "weapon " + std::to_string(index), "test", std::chrono::system_clock::now()}};
}

// Saves through the image's history as a writer would (journal, then record).
void saveThrough(ImageHistory& history, const RomImage& image, int index, std::uint8_t to)
{
    const JournalEntry e = weaponSave(image, index, to);
    const SavedRecord& r = e.step.records[0];
    const ExpectedWrite write{r.table, r.index, r.before, r.after};
    QVERIFY(history.save(image, {&write, 1}, e.step));
}

qint64 sizeOf(const std::filesystem::path& file) { return QFileInfo(QString::fromStdString(file.string())).size(); }

}  // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aWindowSaveIsUndoneAfterARestart();
    void aKilledProgramLeavesItsSavesToUndo();
    void aKilledProgramLeavesItsSavesToUndoChild();
    void aStepCutOffBeforeTheImageIsLeftOut();
    void aStepCutOffBeforeTheImageIsLeftOutChild();
    void aTornJournalLoadsWithANote();
    void anUnreadableJournalIsSetAside();
    void aJournalThatCannotBeWrittenRefusesTheSave();
    void theOldestEntriesAreFolded();
    void turnedOffKeepsNothing();
    void theToolsSavesAreUndoneInTheWindow();
    void toolHistoryUndoAndRedo();
    void anUndoAfterAnOutsideChangeIsRefusedByTheTool();

private:
    QTemporaryDir m_data;
};

void JournalTest::init()
{
    // every test case a data folder of its own; a child run by a test keeps its parent's
    if (!qEnvironmentVariableIsEmpty("VELDRA_TEST_IMAGE"))
        return;
    const QString folder = m_data.filePath(QString::fromLatin1(QTest::currentTestFunction()));
    QDir().mkpath(folder);
    qputenv("VELDRA_FORGE_DATA_DIR", folder.toLocal8Bit());
}

void JournalTest::aWindowSaveIsUndoneAfterARestart()
{
    Session s;
    const Bytes original = s.image.bytes();
    saveAttack(s, 120);
    saveAttack(s, 121);
    QCOMPARE(s.image.bytesAt(kAttack4, 1), Bytes{121});

    // the program ends and starts again; the image is loaded
    s.restart();
    QVERIFY(!action(s, "UndoSave")->isEnabled());
    s.load(s.image.path());
    QCOMPARE(historyList(s)->count(), 2);
    QVERIFY(historyList(s)->item(0)->text().contains(QLatin1String("121")));
    action(s, "UndoSave")->trigger();
    QCOMPARE(s.image.bytesAt(kAttack4, 1), Bytes{120});
    action(s, "UndoSave")->trigger();
    QVERIFY(s.image.bytes() == original);
    QVERIFY(s.platform.messages.isEmpty());

    // the undos are in the journal too: after another restart Redo Save makes the first again
    s.restart(s.image.path());
    QVERIFY(!action(s, "UndoSave")->isEnabled());
    QVERIFY(action(s, "RedoSave")->isEnabled());
    action(s, "RedoSave")->trigger();
    QCOMPARE(s.image.bytesAt(kAttack4, 1), Bytes{120});
    const auto changed = changedOffsets(original, s.image.bytes());
    QCOMPARE(changed, offsetRange(kAttack4, 1));
}

// The program saves in a window and is killed (kill -9) right after: its save
// is undone after a restart.
void JournalTest::aKilledProgramLeavesItsSavesToUndo()
{
    Session s;
    const Bytes original = s.image.bytes();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELDRA_TEST_IMAGE"), s.image.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("aKilledProgramLeavesItsSavesToUndoChild")});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(s.image.bytesAt(kAttack4, 1), Bytes{99});

    s.load(s.image.path());
    QCOMPARE(historyList(s)->count(), 1);
    action(s, "UndoSave")->trigger();
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QVERIFY(s.image.bytes() == original);
}

void JournalTest::aKilledProgramLeavesItsSavesToUndoChild()
{
    const QString image = qEnvironmentVariable("VELDRA_TEST_IMAGE");
    if (image.isEmpty())
        QSKIP("run by aKilledProgramLeavesItsSavesToUndo");
    Session s(false);
    s.load(image);
    saveAttack(s, 99);
    std::raise(SIGKILL);
}

// A crash between the journal's entry and the image's write: the image holds
// the old record, the journal stays readable, and the step is left out.
void JournalTest::aStepCutOffBeforeTheImageIsLeftOut()
{
    SampleImage sample;
    const Bytes original = sample.bytes();
    const RomImage image(sample.path().toStdString());
    ImageHistory history;
    saveThrough(history, image, 2, 50);
    const Bytes afterFirst = sample.bytes();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELDRA_TEST_IMAGE"), sample.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("aStepCutOffBeforeTheImageIsLeftOutChild")});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QVERIFY(sample.bytes() == afterFirst);

    ImageHistory again;
    again.open(sample.path().toStdString());
    QCOMPARE(again.history().entries().size(), std::size_t(1));
    QCOMPARE(again.notes().size(), std::size_t(1));
    QVERIFY(again.notes()[0].find("never reached the image") != std::string::npos);

    // the next save marks the lost step cancelled: it stays out for good
    saveThrough(again, image, 3, 51);
    ImageHistory third;
    third.open(sample.path().toStdString());
    QVERIFY(third.notes().empty());
    QCOMPARE(third.history().entries().size(), std::size_t(2));
    QCOMPARE(third.history().entries()[1].records[0].index, 3);
    QVERIFY(third.undo(image, "test"));
    QVERIFY(third.undo(image, "test"));
    QVERIFY(sample.bytes() == original);
    QCOMPARE(third.history().applied(), std::size_t(0));
}

void JournalTest::aStepCutOffBeforeTheImageIsLeftOutChild()
{
    const QString path = qEnvironmentVariable("VELDRA_TEST_IMAGE");
    if (path.isEmpty())
        QSKIP("run by aStepCutOffBeforeTheImageIsLeftOut");
    const RomImage image(path.toStdString());
    const auto held = image.holdWritersLock();
    QVERIFY(held);
    QVERIFY(Journal(journalOf(path)).append(weaponSave(image, 5, 77), image));
    std::raise(SIGKILL);  // before the record is written
}

void JournalTest::aTornJournalLoadsWithANote()
{
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    ImageHistory history;
    saveThrough(history, image, 1, 40);
    const qint64 whole = sizeOf(journalOf(sample.path()));
    saveThrough(history, image, 2, 41);
    const Bytes saved = sample.bytes();

    // the second entry cut in its middle, as a crash while it was written leaves it
    const qint64 cut = whole + (sizeOf(journalOf(sample.path())) - whole) / 2;
    std::filesystem::resize_file(journalOf(sample.path()), std::uintmax_t(cut));
    ImageHistory reread;
    reread.open(sample.path().toStdString());
    QCOMPARE(reread.history().entries().size(), std::size_t(1));
    QCOMPARE(reread.notes().size(), std::size_t(1));
    QVERIFY(reread.notes()[0].find("cut short") != std::string::npos);
    QVERIFY(sample.bytes() == saved);

    // the next save cuts the torn tail off: the journal reads whole again
    saveThrough(reread, image, 3, 42);
    ImageHistory third;
    third.open(sample.path().toStdString());
    QVERIFY(third.notes().empty());
    QCOMPARE(third.history().entries().size(), std::size_t(2));
    QCOMPARE(third.history().entries()[1].records[0].index, 3);
}

void JournalTest::anUnreadableJournalIsSetAside()
{
    Session s;
    const auto file = journalOf(s.image.path());
    std::filesystem::create_directories(file.parent_path());
    const QString journal = QString::fromStdString(file.string());
    writeFile(journal, QByteArray("not a journal at all, but a user's notes"));

    s.load(s.image.path());
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(QLatin1String("set aside as journal.unreadable-")), qPrintable(s.platform.messages[0]));
    QVERIFY(!QFile::exists(journal));
    const QStringList aside = QFileInfo(journal).dir().entryList({QStringLiteral("journal.unreadable-*")});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(fileContents(QFileInfo(journal).dir().filePath(aside[0])), QByteArray("not a journal at all, but a user's notes"));

    // a new journal begins with the next save
    saveAttack(s, 120);
    s.restart(s.image.path());
    QCOMPARE(historyList(s)->count(), 1);
}

void JournalTest::aJournalThatCannotBeWrittenRefusesTheSave()
{
    Session s;
    // a folder where the journal file should be: no entry can go in
    std::filesystem::create_directories(journalOf(s.image.path()));
    const Bytes original = s.image.bytes();
    saveAttack(s, 120);
    QVERIFY(s.image.bytes() == original);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains(QLatin1String("cannot keep the save in the journal")), qPrintable(s.platform.messages[0]));
    QVERIFY(s.platform.messages[0].contains(QLatin1String("nothing was saved")));
    QVERIFY(!action(s, "UndoSave")->isEnabled());

    // the tool refuses alike
    const CliRun run = runCli({QStringLiteral("set"), s.image.path(), QStringLiteral("weapons"), QStringLiteral("4"),
                               QStringLiteral("attack=7")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String("cannot keep the save in the journal")), qPrintable(run.err));
    QVERIFY(s.image.bytes() == original);
}

void JournalTest::theOldestEntriesAreFolded()
{
    QCOMPARE(kJournalBound, std::size_t(10000));
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    const auto file = journalOf(sample.path());
    std::filesystem::create_directories(file.parent_path());
    // the rule at a small bound: past 10 entries, down to the newest 7
    const Journal journal(file, 10, 7);
    for (int i = 0; i < 11; ++i) {
        const JournalEntry e = weaponSave(image, i, std::uint8_t(200 + i));
        QVERIFY(journal.append(e, image));
        QVERIFY(image.write(*recordPosition(kWeapons, i), e.step.records[0].after));
    }
    JournalContents contents = journal.load(&image);
    QCOMPARE(contents.entries.size(), std::size_t(7));
    QCOMPARE(contents.folded, std::uint64_t(4));
    QCOMPARE(contents.entries.front().step.records[0].index, 4);
    QCOMPARE(contents.entries.back().step.records[0].index, 10);
    QVERIFY(contents.notes.empty());
    // the history left undoes the newest seven only
    SaveHistory history = historyFrom(contents.entries);
    QCOMPARE(history.applied(), std::size_t(7));
    // no temporary file is left beside the journal
    QCOMPARE(QDir(QString::fromStdString(file.parent_path().string())).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void JournalTest::turnedOffKeepsNothing()
{
    Session s;
    saveAttack(s, 120);
    const auto folder = *historyFolderFor(s.image.path().toStdString());
    const qint64 before = sizeOf(folder / "journal");
    writeFile(QString::fromStdString((folder / "off").string()), {});
    saveAttack(s, 121);
    QCOMPARE(sizeOf(folder / "journal"), before);
    const CliRun set = runCli({QStringLiteral("set"), s.image.path(), QStringLiteral("weapons"), QStringLiteral("4"),
                               QStringLiteral("attack=7")});
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(sizeOf(folder / "journal"), before);
    // nor is the history read back: the next run starts empty
    s.restart(s.image.path());
    QCOMPARE(historyList(s)->count(), 0);
    const CliRun undo = runCli({QStringLiteral("undo"), s.image.path()});
    QCOMPARE(undo.exitCode, 1);
    QVERIFY(undo.err.contains(QLatin1String("turned off")));
}

void JournalTest::theToolsSavesAreUndoneInTheWindow()
{
    Session s;
    const Bytes original = s.image.bytes();
    const CliRun set = runCli({QStringLiteral("set"), s.image.path(), QStringLiteral("weapons"), QStringLiteral("4"),
                               QStringLiteral("attack=33")});
    QCOMPARE(set.exitCode, 0);
    // the open History window reads the journal again when it comes to the front
    QListWidget* list = historyList(s);
    QCOMPARE(list->count(), 0);
    QWidget* window = list->window();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activate);
    QCOMPARE(list->count(), 1);
    QVERIFY(list->item(0)->text().contains(QLatin1String("33")));
    action(s, "UndoSave")->trigger();
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QVERIFY(s.image.bytes() == original);

    // and the window's undo is the tool's to redo
    const CliRun redo = runCli({QStringLiteral("redo"), s.image.path()});
    QCOMPARE(redo.exitCode, 0);
    QCOMPARE(s.image.bytesAt(kAttack4, 1), Bytes{33});
    QCOMPARE(changedOffsets(original, s.image.bytes()), offsetRange(kAttack4, 1));
}

void JournalTest::toolHistoryUndoAndRedo()
{
    SampleImage sample;
    const Bytes original = sample.bytes();
    const QString image = sample.path();
    QCOMPARE(runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("4"), QStringLiteral("attack=33")}).exitCode, 0);
    QCOMPARE(runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("5"), QStringLiteral("attack=34")}).exitCode, 0);
    // a stale checksum fixed is a step like any other (a byte outside every table makes it stale)
    sample.poke(0x3F0000, {std::uint8_t(sample.bytesAt(0x3F0000, 1)[0] + 1)});
    const Bytes stale = sample.bytesAt(kComplementPosition, 4);
    QCOMPARE(runCli({QStringLiteral("checksum"), image, QStringLiteral("--fix")}).exitCode, 0);
    const bool checksumWritten = sample.bytesAt(kComplementPosition, 4) != stale;
    QVERIFY(checksumWritten);

    CliRun listed = runCli({QStringLiteral("history"), image});
    QCOMPARE(listed.exitCode, 0);
    const QStringList lines = listed.outText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), checksumWritten ? 3 : 2);
    QVERIFY2(lines.last().startsWith(QLatin1String("1  ")), qPrintable(lines.last()));  // newest first
    QVERIFY(lines.last().contains(QLatin1String("in effect")));
    QVERIFY(lines.last().contains(QLatin1String("weapons[4]")));

    QVERIFY(lines.first().contains(QLatin1String("veldra-cli checksum --fix")));
    QCOMPARE(runCli({QStringLiteral("undo"), image}).exitCode, 0);
    QVERIFY(sample.bytesAt(kComplementPosition, 4) == stale);
    const CliRun undone = runCli({QStringLiteral("undo"), image});
    QCOMPARE(undone.exitCode, 0);
    QVERIFY2(undone.outText().startsWith(QLatin1String("undid 2: veldra-cli set")), qPrintable(undone.outText()));
    QCOMPARE(runCli({QStringLiteral("undo"), image}).exitCode, 0);
    QCOMPARE(changedOffsets(original, sample.bytes()), offsetRange(0x3F0000, 1));
    const CliRun nothing = runCli({QStringLiteral("undo"), image});
    QCOMPARE(nothing.exitCode, 1);
    QVERIFY2(nothing.err.contains(QLatin1String("There is no save to undo.")), qPrintable(nothing.err));

    QCOMPARE(runCli({QStringLiteral("redo"), image}).exitCode, 0);
    QCOMPARE(sample.bytesAt(kAttack4, 1), Bytes{33});
    const CliRun json = runCli({QStringLiteral("history"), image, QStringLiteral("--json")});
    QCOMPARE(json.exitCode, 0);
    const QString text = json.outText();
    QVERIFY(text.contains(QLatin1String("\"in_effect\": 1")));
    QVERIFY(text.contains(QLatin1String("\"source\": \"veldra-cli set\"")));
}

void JournalTest::anUndoAfterAnOutsideChangeIsRefusedByTheTool()
{
    Session s;
    saveAttack(s, 120);
    s.restart();
    // another program writes the record between the runs
    s.image.poke(kAttack4, {77});
    const Bytes changed = s.image.bytes();
    const CliRun undo = runCli({QStringLiteral("undo"), s.image.path()});
    QCOMPARE(undo.exitCode, 1);
    QVERIFY2(undo.err.contains(QLatin1String("Undo refused: ")), qPrintable(undo.err));
    QVERIFY(undo.err.contains(QLatin1String("Nothing was written.")));
    QVERIFY(s.image.bytes() == changed);
    // and by the window
    s.load(s.image.path());
    action(s, "UndoSave")->trigger();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].startsWith(QLatin1String("Undo refused: ")));
    QVERIFY(s.image.bytes() == changed);
}

QTEST_MAIN(JournalTest)
#include "test_journal.moc"
