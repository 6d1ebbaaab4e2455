#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "rom/history/data_folder.h"
#include "rom/history/image_history.h"
#include "rom/history/image_state.h"
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
#include <QMainWindow>
#include <QProcess>
#include <QStatusBar>
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

// Runs the tool with `args` until it has written `records` records of its
// step, then kills it (kill -9): the program ends between two record writes.
void killToolAfterWrites(const QStringList& args, int records)
{
    QTemporaryDir dir;
    const QString paused = dir.filePath(QStringLiteral("paused"));
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELDRA_FORGE_TEST_PAUSE"), QStringLiteral("%1:%2").arg(records).arg(paused));
    tool.setProcessEnvironment(env);
    tool.start(nativeCli().path, args);
    QVERIFY(tool.waitForStarted());
    for (int i = 0; i < 1500 && !QFile::exists(paused) && tool.state() == QProcess::Running; ++i)
        QTest::qWait(20);
    QVERIFY2(QFile::exists(paused), qPrintable(QString::fromUtf8(tool.readAllStandardError())));
    tool.kill();
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitStatus(), QProcess::CrashExit);
}

// Undoes with the tool until nothing is left to undo; the number undone.
int undoAll(const QString& image)
{
    for (int undone = 0; undone < 20; ++undone) {
        const CliRun run = runCli({QStringLiteral("undo"), image});
        if (run.exitCode != 0)
            return run.err.contains(QLatin1String("There is no save to undo.")) ? undone : -1;
    }
    return -1;
}

// The text of the tool's history listing, and its lines.
QStringList historyLines(const QString& image, QString* err = nullptr)
{
    const CliRun run = runCli({QStringLiteral("history"), image});
    if (err)
        *err = run.err;
    return run.outText().split('\n', Qt::SkipEmptyParts);
}

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
    void aStepCutOffPartWayIsTakenBack_data();
    void aStepCutOffPartWayIsTakenBack();
    void aTornJournalLoadsWithANote();
    void aDamagedLastEntryIsSetAside();
    void aChangeMadeOutsideIsNoCrash_data();
    void aChangeMadeOutsideIsNoCrash();
    void anUnreadableJournalIsSetAside();
    void aJournalThatCannotBeWrittenRefusesTheSave();
    void theOldestEntriesAreFolded();
    void aFoldKeepsWhatIsInEffect();
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

// The tool killed between two record writes of one step (an import, or the
// undo of one): the next run that reads or writes the history takes back the
// part that reached the image, says so, and undo works on as before.
void JournalTest::aStepCutOffPartWayIsTakenBack_data()
{
    QTest::addColumn<QString>("killed");
    QTest::addColumn<QString>("next");
    QTest::newRow("import, then the listing") << "import" << "history";
    QTest::newRow("import, then another set") << "import" << "set";
    QTest::newRow("undo of an import, then undo") << "undo" << "undo";
    QTest::newRow("import, then the window's Load") << "import" << "load";
}

void JournalTest::aStepCutOffPartWayIsTakenBack()
{
    QFETCH(QString, killed);
    QFETCH(QString, next);
    Session s;
    const QString image = s.image.path();
    const Bytes original = s.image.bytes();
    QCOMPARE(runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("4"), QStringLiteral("attack=33")}).exitCode, 0);
    const Bytes beforeImport = s.image.bytes();
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("weapons.csv"));
    writeFile(csv, "index,attack\r\n1,61\r\n2,62\r\n3,63\r\n");
    const QStringList import{QStringLiteral("import"), image, csv};
    Bytes stepFrom = beforeImport;
    if (killed == QLatin1String("undo")) {
        QCOMPARE(runCli(import).exitCode, 0);
        stepFrom = s.image.bytes();
        killToolAfterWrites({QStringLiteral("undo"), image}, 1);
    } else {
        killToolAfterWrites(import, 1);
    }
    // part-way: one record of the three written
    QCOMPARE(changedOffsets(stepFrom, s.image.bytes()).size(), std::size_t(1));

    QString said;
    if (next == QLatin1String("history")) {
        const CliRun run = runCli({QStringLiteral("history"), image});
        QCOMPARE(run.exitCode, 0);
        said = run.err;
        QCOMPARE(run.outText().split('\n', Qt::SkipEmptyParts).size(), 1);
        QVERIFY(s.image.bytes() == stepFrom);
    } else if (next == QLatin1String("set")) {
        const CliRun run = runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("7"), QStringLiteral("attack=5")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        said = run.err;
        QCOMPARE(changedOffsets(stepFrom, s.image.bytes()), offsetRange(tables::weapons.base + 7 * tables::weapons.recordSize, 1));
    } else if (next == QLatin1String("undo")) {
        // the undo cut off is taken back, and this one goes through
        const CliRun run = runCli({QStringLiteral("undo"), image});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        said = run.err;
        QVERIFY(s.image.bytes() == beforeImport);
    } else {
        s.load(image);
        said = s.platform.messages.join('\n');
        QVERIFY(s.image.bytes() == stepFrom);
        QCOMPARE(historyList(s)->count(), 1);
    }
    QVERIFY2(said.contains(QLatin1String("reached the image only in part")), qPrintable(said));
    QVERIFY2(said.contains(QLatin1String("It was taken back")), qPrintable(said));
    // nothing is refused for good: every save left undoes back to the image as it began
    QVERIFY(undoAll(image) >= 1);
    QVERIFY(s.image.bytes() == original);
    QVERIFY(runCli({QStringLiteral("history"), image}).err.isEmpty());
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

// A last entry of its whole length whose CRC fails was damaged after it was
// written, not cut short by a crash: the journal is set aside, never cut.
void JournalTest::aDamagedLastEntryIsSetAside()
{
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    ImageHistory history;
    saveThrough(history, image, 1, 40);
    saveThrough(history, image, 2, 41);
    const QString file = QString::fromStdString(journalOf(sample.path()).string());
    QByteArray bytes = fileContents(file);
    bytes[bytes.size() - 20] = char(bytes[bytes.size() - 20] ^ 0x5A);  // inside the last payload
    writeFile(file, bytes);

    ImageHistory reread;
    reread.open(sample.path().toStdString());
    QCOMPARE(reread.notes().size(), std::size_t(1));
    QVERIFY2(reread.notes()[0].find("its last entry is damaged") != std::string::npos, reread.notes()[0].c_str());
    QVERIFY(reread.notes()[0].find("set aside as journal.unreadable-") != std::string::npos);
    QVERIFY(!QFile::exists(file));
    const QStringList aside = QFileInfo(file).dir().entryList({QStringLiteral("journal.unreadable-*")});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(fileContents(QFileInfo(file).dir().filePath(aside[0])), bytes);
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
    // no temporary file is left beside the journal (and the image's state)
    QCOMPARE(QDir(QString::fromStdString(file.parent_path().string())).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("image-state"), QStringLiteral("journal")}));
}

// Undos and redos across the place the fold cuts: the history the kept
// entries give is the one all of them gave, less the saves dropped.
void JournalTest::aFoldKeepsWhatIsInEffect()
{
    SampleImage sample;
    const RomImage image(sample.path().toStdString());
    const auto file = journalOf(sample.path());
    std::filesystem::create_directories(file.parent_path());
    const Journal journal(file, 10, 7);
    std::vector<SaveEntry> saves;
    std::vector<JournalEntry> all;
    // each step journalled, then written, then its state recorded, as a writer does
    const auto take = [&](const JournalEntry& e) {
        QVERIFY(journal.append(e, image));
        for (const SavedRecord& r : e.step.records)
            QVERIFY(image.write(*recordPosition(*r.table, r.index), r.after));
        recordImageState(file.parent_path(), image.path(), sample.bytes());
        all.push_back(e);
    };
    for (int i = 0; i < 6; ++i) {
        const JournalEntry e = weaponSave(image, i, std::uint8_t(200 + i));
        saves.push_back(e.step);
        take(e);
    }
    for (int i = 5; i >= 2; --i)
        take({JournalKind::Undo, reversedStep(saves[std::size_t(i)], true, "test")});
    take({JournalKind::Redo, reversedStep(saves[2], false, "test")});  // the 11th entry: the fold

    const JournalContents contents = journal.load(&image);
    QVERIFY(contents.folded > 0);
    const SaveHistory kept = historyFrom(contents.entries);
    const SaveHistory whole = historyFrom(all);
    // the saves kept are the newest of the whole history, each as much in effect
    const std::size_t dropped = whole.entries().size() - kept.entries().size();
    QCOMPARE(whole.applied(), std::size_t(3));
    QCOMPARE(kept.applied() + dropped, whole.applied());
    for (std::size_t i = 0; i < kept.entries().size(); ++i)
        QCOMPARE(kept.entries()[i].records[0].index, whole.entries()[i + dropped].records[0].index);
    // and the weapon in effect last is saves[2]'s, whatever was dropped
    QCOMPARE(kept.nextUndo()->records[0].index, 2);
    QVERIFY(contents.entries.size() <= 10);
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

// Another program's change is told apart from a crash: the journal keeps
// every save, says the image was changed outside (on the status line in the
// window, not in a message box), and lists the saves no longer held.
void JournalTest::aChangeMadeOutsideIsNoCrash_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("held");  // of saves 1 and 2 afterwards, "y" or "n"
    QTest::newRow("restore 1 --in-place") << "restore" << "nn";
    QTest::newRow("the old bytes written back") << "poke" << "yn";
    QTest::newRow("a clean image copied over") << "copy" << "nn";
}

void JournalTest::aChangeMadeOutsideIsNoCrash()
{
    QFETCH(QString, change);
    QFETCH(QString, held);
    Session s;
    const QString image = s.image.path();
    const Bytes original = s.image.bytes();
    const std::uint32_t attack5 = tables::weapons.base + 5 * tables::weapons.recordSize;
    QCOMPARE(runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("4"), QStringLiteral("attack=33")}).exitCode, 0);
    QCOMPARE(runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("5"), QStringLiteral("attack=34")}).exitCode, 0);
    if (change == QLatin1String("restore"))
        QCOMPARE(runCli({QStringLiteral("restore"), image, QStringLiteral("1"), QStringLiteral("--in-place")}).exitCode, 0);
    else if (change == QLatin1String("poke"))
        s.image.poke(attack5, {original[attack5]});
    else
        writeFile(image, QByteArray(reinterpret_cast<const char*>(original.data()), qsizetype(original.size())));
    const bool outside = change != QLatin1String("restore");
    const QString note = QFileInfo(image).fileName() + QStringLiteral(" was changed outside Veldra Forge since the last save kept here");

    QString err;
    QStringList lines = historyLines(image, &err);
    QVERIFY2(!err.contains(QLatin1String("never reached")), qPrintable(err));
    QCOMPARE(err.contains(note), outside);
    QCOMPARE(lines.size(), 2);
    for (int save = 1; save <= 2; ++save) {
        const QString& line = lines[2 - save];  // newest first
        const bool kept = held[save - 1] == QLatin1Char('y');
        QVERIFY2(line.contains(kept ? QLatin1String("in effect") : QLatin1String("not held")), qPrintable(line));
    }

    // the window says so on its status line, not in a message box
    s.load(image);
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    auto* main = qobject_cast<QMainWindow*>(s.mainWindow());
    QCOMPARE(main->statusBar()->currentMessage().contains(note), outside);
    QCOMPARE(historyList(s)->count(), 2);

    // the next save keeps every earlier one, and the note is over
    QCOMPARE(runCli({QStringLiteral("set"), image, QStringLiteral("weapons"), QStringLiteral("6"), QStringLiteral("attack=35")}).exitCode, 0);
    lines = historyLines(image, &err);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QVERIFY(lines[0].contains(QLatin1String("in effect")));
}

QTEST_MAIN(JournalTest)
#include "test_journal.moc"
