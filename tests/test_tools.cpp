#include "tests/support/cli_process.h"
#include "tests/support/test_support.h"

#include "app/app_shell.h"
#include "app/compare_window.h"
#include "app/emulator.h"
#include "editors/common/labels.h"
#include "editors/enemy/monster_window.h"
#include "rom/history/field_changes.h"
#include "rom/image_facts.h"
#include "rom/tables.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>

namespace {

const QString kDot = QStringLiteral(" ") + QChar(0x00B7) + QStringLiteral(" ");

void trigger(Session& s, const char* name)
{
    auto* action = s.mainWindow()->findChild<QAction*>(name);
    QVERIFY2(action, name);
    QVERIFY2(action->isEnabled(), name);
    action->trigger();
}

std::uint32_t at(const Table& table, int index, int offset) { return table.base + index * table.recordSize + offset; }

// A copy of the session's image beside it, under `name`.
QString copyOfImage(Session& s, const QString& name)
{
    const QString path = QFileInfo(s.image.path()).dir().filePath(name);
    QFile::remove(path);
    QFile::copy(s.image.path(), path);
    return path;
}

void poke(const QString& path, std::uint32_t position, std::uint8_t value)
{
    const Status written = RomImage(path.toStdString(), IdentityCheck::Skipped).write(position, Bytes{value});
    QVERIFY(written);
}

int rowOf(QListWidget* list, const QString& text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text)
            return i;
    return -1;
}

QStringList rows(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// A list row chosen as a user's click (Ctrl held to add it to the selection).
void clickListRow(QListWidget* list, int row, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QVERIFY(row >= 0);
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, list->visualItemRect(list->item(row)).center());
}

// The Compare window on the session's image and `other`.
QWidget* compareWith(Session& s, const QString& other)
{
    s.platform.openAnswers << other;
    trigger(s, "Compare");
    return s.shell().windows().find("Compare");
}

QString weaponName(int index) { return entryLabels(tables::weapons).at(index); }

// A stand-in emulator: writes each argument it was given on a line of `args`.
QString standInEmulator(const QString& folder, const QString& args)
{
    const QString script = QDir(folder).filePath("emu lator.sh");
    writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + args.toUtf8() + ".tmp'\nmv '" + args.toUtf8() + ".tmp' '"
                          + args.toUtf8() + "'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
}

// Settings > Emulator..., typed and confirmed as a user would.
void setCommand(Session& s, const QString& command)
{
    trigger(s, "EmulatorSettings");
    QWidget* dialog = s.shell().windows().find("Emulator");
    QVERIFY(dialog);
    typeInto(child<QLineEdit>(dialog, "EmulatorCommand"), command);
    QTest::mouseClick(child<QPushButton>(dialog, "OK"), Qt::LeftButton);
}

bool checksumOk(const QString& path) { return describeImage(SampleImage::read(path)).checksumOk; }

}  // namespace

class ToolsTest : public QObject {
    Q_OBJECT
private slots:
    void compareListsFieldsByTableAndTakesValuesAsOneUndoStep();
    void compareRefusesAFileThatIsNotTheGame();
    void compareTakesAHeaderedImageWithoutItsHeader();
    void nextAndPreviousStepOverHeadings();
    void openEntryShowsTheEntryInItsEditor();
    void takeIsRefusedWhenTheImageChangedSinceTheCompare();
    void emulatorStartsOnTheImagePathWithoutAShell();
    void staleChecksumIsFixedOnYesAndLeftOnNo_data();
    void staleChecksumIsFixedOnYesAndLeftOnNo();
    void missingCommandOpensTheSettings();
    void runInEmulatorNamesTheGridsUnsavedEdits();
    void commandThatCannotStartIsReported_data();
    void commandThatCannotStartIsReported();
};

void ToolsTest::compareListsFieldsByTableAndTakesValuesAsOneUndoStep()
{
    Session s;
    const QString other = copyOfImage(s, "other.sfc");
    const std::uint32_t attack = at(tables::weapons, 4, 0);
    const std::uint32_t flags = at(tables::itemSecondary, 5, 0);
    const std::uint8_t attackA = s.image.bytesAt(attack, 1)[0];
    const std::uint8_t attackB = std::uint8_t(attackA + 22);
    const std::uint8_t flagsA = s.image.bytesAt(flags, 1)[0];
    poke(other, attack, attackB);
    // the other image flips Key Item (bit 3) and Use in Menu (bit 1); only Key Item is taken
    poke(other, flags, std::uint8_t(flagsA ^ 0x08 ^ 0x02));
    poke(other, 0x200, std::uint8_t(s.image.bytesAt(0x200, 1)[0] ^ 0xFF));
    const Bytes before = s.image.bytes();

    QWidget* window = compareWith(s, other);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    auto* list = child<QListWidget>(window, "CompareList");
    const QString attackRow = "Weapons" + kDot + weaponName(4) + kDot
                              + QString("Attack: %1 -> %2").arg(attackA).arg(attackB);
    const QString itemName = entryLabels(tables::itemSecondary).at(5);
    const QString keyRow = "Item secondary" + kDot + itemName + kDot
                           + QString("Key Item: %1 -> %2").arg(flagsA & 0x08 ? "on" : "off", flagsA & 0x08 ? "off" : "on");
    const QString menuRow = "Item secondary" + kDot + itemName + kDot
                            + QString("Use in Menu: %1 -> %2").arg(flagsA & 0x02 ? "on" : "off", flagsA & 0x02 ? "off" : "on");
    QVERIFY2(rowOf(list, attackRow) > 0, qPrintable(rows(list).join('\n')));
    QVERIFY2(rowOf(list, keyRow) > 0, qPrintable(rows(list).join('\n')));
    QVERIFY(rowOf(list, menuRow) > 0);
    // a heading for each table, the bytes outside all tables last
    QCOMPARE(rowOf(list, "Weapons (1)"), rowOf(list, attackRow) - 1);
    QVERIFY(rowOf(list, "Item secondary (2)") > rowOf(list, attackRow));
    QCOMPARE(list->item(list->count() - 1)->text(), "Outside all tables" + kDot + "0x000200-0x000200 (1 byte)");
    QCOMPARE(list->count(), 7);

    clickListRow(list, rowOf(list, attackRow));
    clickListRow(list, rowOf(list, keyRow), Qt::ControlModifier);
    QTest::mouseClick(child<QPushButton>(window, "TakeValue"), Qt::LeftButton);

    QCOMPARE(changedOffsets(before, s.image.bytes()), (std::vector<std::size_t>{attack, flags}));
    QCOMPARE(s.image.bytesAt(attack, 1)[0], attackB);
    QCOMPARE(s.image.bytesAt(flags, 1)[0], std::uint8_t(flagsA ^ 0x08));  // Use in Menu kept as it was
    QCOMPARE(s.shell().saveLog().history().entries().size(), std::size_t(1));
    // the list follows the save: the values taken are no longer listed
    QCOMPARE(rowOf(list, attackRow), -1);
    QCOMPARE(rowOf(list, keyRow), -1);
    QVERIFY(rowOf(list, menuRow) > 0);

    trigger(s, "UndoSave");
    QVERIFY(s.image.bytes() == before);
    QVERIFY(rowOf(list, attackRow) > 0);
    QVERIFY(rowOf(list, keyRow) > 0);
    QVERIFY(s.platform.messages.isEmpty());
}

void ToolsTest::compareRefusesAFileThatIsNotTheGame()
{
    Session s;
    const QString other = QFileInfo(s.image.path()).dir().filePath("notes.sfc");
    writeFile(other, QByteArray(0x20000, 'x'));
    QVERIFY(!compareWith(s, other));
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("notes.sfc is not a Veldra Saga ROM"));
    // Cancel opens nothing either
    QVERIFY(!compareWith(s, QString()));
    QCOMPARE(s.platform.messages.size(), 1);
}

void ToolsTest::compareTakesAHeaderedImageWithoutItsHeader()
{
    Session s;
    const std::uint32_t attack = at(tables::weapons, 4, 0);
    const std::uint8_t theirs = std::uint8_t(s.image.bytesAt(attack, 1)[0] + 3);
    Bytes headered(512, 0);
    const Bytes image = s.image.bytes();
    headered.insert(headered.end(), image.begin(), image.end());
    headered[512 + attack] = theirs;
    const QString other = QFileInfo(s.image.path()).dir().filePath("other.smc");
    writeFile(other, QByteArray(reinterpret_cast<const char*>(headered.data()), qsizetype(headered.size())));
    QWidget* window = compareWith(s, other);
    QVERIFY(window);
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    auto* list = child<QListWidget>(window, "CompareList");
    QCOMPARE(list->count(), 2);  // the heading and the one field: the header itself is no difference
    const QString status = child<QLabel>(window, "bar")->text();
    QVERIFY2(status.startsWith("1 difference between this image and other.smc.") && status.contains("copier header"),
             qPrintable(status));

    // Previous with nothing selected steps to the last difference
    QTest::mouseClick(child<QPushButton>(window, "PreviousDifference"), Qt::LeftButton);
    QCOMPARE(list->currentRow(), 1);
    clickListRow(list, 1, Qt::ControlModifier);  // deselected again
    QVERIFY(list->selectedItems().isEmpty());
    QTest::mouseClick(child<QPushButton>(window, "PreviousDifference"), Qt::LeftButton);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->currentRow(), 1);

    const Bytes before = s.image.bytes();
    QTest::mouseClick(child<QPushButton>(window, "TakeValue"), Qt::LeftButton);
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(attack, 1));
    QCOMPARE(s.image.bytesAt(attack, 1)[0], theirs);
    QCOMPARE(SampleImage::read(other), headered);  // the other file is only read
}

void ToolsTest::nextAndPreviousStepOverHeadings()
{
    Session s;
    const QString other = copyOfImage(s, "other.sfc");
    for (int index : {1, 2})
        poke(other, at(tables::weapons, index, 0), std::uint8_t(s.image.bytesAt(at(tables::weapons, index, 0), 1)[0] + 1));
    poke(other, at(tables::armor, 3, 0), std::uint8_t(s.image.bytesAt(at(tables::armor, 3, 0), 1)[0] + 1));
    QWidget* window = compareWith(s, other);
    auto* list = child<QListWidget>(window, "CompareList");
    auto* next = child<QPushButton>(window, "NextDifference");
    auto* previous = child<QPushButton>(window, "PreviousDifference");
    // rows: Weapons heading, two weapons, Armor heading, one armor
    QCOMPARE(list->count(), 5);
    const int visits[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 4}, {1, 2}, {1, 1}, {1, 1}};
    for (const auto& [back, row] : visits) {
        QTest::mouseClick(back ? previous : next, Qt::LeftButton);
        QCOMPARE(list->currentRow(), row);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->row(list->selectedItems().first()), row);
    }
}

void ToolsTest::openEntryShowsTheEntryInItsEditor()
{
    Session s;
    const QString other = copyOfImage(s, "other.sfc");
    poke(other, at(tables::weapons, 7, 0), std::uint8_t(s.image.bytesAt(at(tables::weapons, 7, 0), 1)[0] + 1));
    poke(other, at(tables::enemyStats, 9, 0), std::uint8_t(s.image.bytesAt(at(tables::enemyStats, 9, 0), 1)[0] + 1));
    QWidget* window = compareWith(s, other);
    auto* list = child<QListWidget>(window, "CompareList");
    auto* open = child<QPushButton>(window, "OpenEntry");

    clickListRow(list, 1);  // the enemy stats difference
    QTest::mouseClick(open, Qt::LeftButton);
    auto* monster = qobject_cast<MonsterWindow*>(s.shell().windows().find("Monster"));
    QVERIFY(monster);
    QCOMPARE(monster->displayedEnemy(), 9);

    clickListRow(list, 3);  // the weapon's
    QVERIFY(list->item(3)->text().startsWith("Weapons" + kDot + weaponName(7)));
    QTest::mouseClick(open, Qt::LeftButton);
    QWidget* weapon = s.shell().windows().find("Weapon");
    QVERIFY(weapon && weapon->isVisible());
    QCOMPARE(child<QListWidget>(weapon, "List1")->currentRow(), 7);
    QCOMPARE(child<QListWidget>(weapon, "List1")->selectedItems().size(), 1);

    // an editor with unsaved edits keeps its entry when the user says No
    typeInto(weapon->findChild<QLineEdit*>("Text1"), "77");
    clickListRow(list, 3);
    s.platform.askAnswers << false;
    weapon->findChild<QListWidget*>("List1")->setCurrentRow(2);
    typeInto(weapon->findChild<QLineEdit*>("Text1"), "78");
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY(s.platform.questions[0].contains("not saved"));
    QCOMPARE(child<QListWidget>(weapon, "List1")->currentRow(), 2);
}

void ToolsTest::takeIsRefusedWhenTheImageChangedSinceTheCompare()
{
    Session s;
    const QString other = copyOfImage(s, "other.sfc");
    const std::uint32_t attack = at(tables::weapons, 4, 0);
    poke(other, attack, std::uint8_t(s.image.bytesAt(attack, 1)[0] + 5));
    QWidget* window = compareWith(s, other);
    auto* list = child<QListWidget>(window, "CompareList");
    clickListRow(list, 1);
    // another program writes the weapon's other byte meanwhile
    s.image.poke(at(tables::weapons, 4, 2), Bytes{0x33});
    const Bytes before = s.image.bytes();
    QTest::mouseClick(child<QPushButton>(window, "TakeValue"), Qt::LeftButton);
    QVERIFY(s.image.bytes() == before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("was changed in the image since it was compared"));
    QVERIFY(s.shell().saveLog().history().entries().empty());
}

void ToolsTest::emulatorStartsOnTheImagePathWithoutAShell()
{
    Session s;
    // a path a shell would misread: blanks, a quote, a dollar sign
    const QString image = copyOfImage(s, "it's $HOME copy.sfc");
    s.load(image);
    const QString args = QFileInfo(image).dir().filePath("args.txt");
    const QString script = standInEmulator(QFileInfo(image).path(), args);
    setCommand(s, "\"" + script + "\" --fullscreen --rom=%f 100%%");
    QCOMPARE(emulatorCommand(), "\"" + script + "\" --fullscreen --rom=%f 100%%");
    trigger(s, "RunInEmulator");
    QTRY_VERIFY(QFileInfo::exists(args));
    QCOMPARE(QString::fromUtf8(fileContents(args)), "--fullscreen\n--rom=" + image + "\n100%\n");
    QVERIFY(s.platform.messages.isEmpty() && s.platform.questions.isEmpty());
    QCOMPARE(s.mainWindow()->findChild<QAction*>("RunInEmulator")->shortcut(), QKeySequence(Qt::Key_F5));

    // the command is remembered with the other settings; without %f the path comes last
    s.restart(image);
    QCOMPARE(emulatorCommand(), "\"" + script + "\" --fullscreen --rom=%f 100%%");
    setCommand(s, "\"" + script + "\"");
    QFile::remove(args);
    trigger(s, "RunInEmulator");
    QTRY_VERIFY(QFileInfo::exists(args));
    QCOMPARE(QString::fromUtf8(fileContents(args)), image + "\n");

    // single quotes and backslashes quote as in a shell
    setCommand(s, "'" + script + "' '-L' '/x y/core.so' a\\ b\\'c %f");
    QFile::remove(args);
    trigger(s, "RunInEmulator");
    QTRY_VERIFY(QFileInfo::exists(args));
    QCOMPARE(QString::fromUtf8(fileContents(args)), "-L\n/x y/core.so\na b'c\n" + image + "\n");
    QVERIFY(s.platform.messages.isEmpty());
    // a command that cannot be split is not kept: the dialog says why
    trigger(s, "EmulatorSettings");
    QWidget* dialog = s.shell().windows().find("Emulator");
    typeInto(child<QLineEdit>(dialog, "EmulatorCommand"), "emu '%f");
    QTest::mouseClick(child<QPushButton>(dialog, "OK"), Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QVERIFY2(child<QLabel>(dialog, "EmulatorProblem")->text().contains("single quote that is not closed"),
             qPrintable(child<QLabel>(dialog, "EmulatorProblem")->text()));
    QCOMPARE(emulatorCommand(), "'" + script + "' '-L' '/x y/core.so' a\\ b\\'c %f");
}

void ToolsTest::staleChecksumIsFixedOnYesAndLeftOnNo_data()
{
    QTest::addColumn<bool>("fix");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void ToolsTest::staleChecksumIsFixedOnYesAndLeftOnNo()
{
    QFETCH(bool, fix);
    Session s;
    const QString args = QFileInfo(s.image.path()).dir().filePath("args.txt");
    setCommand(s, "\"" + standInEmulator(QFileInfo(s.image.path()).path(), args) + "\" %f");
    s.image.poke(0x200, Bytes{std::uint8_t(s.image.bytesAt(0x200, 1)[0] ^ 0x5A)});
    QVERIFY(!checksumOk(s.image.path()));
    // an editor with an edit not saved: the question says it is not in the file
    QWidget* weapon = s.openEditor(3, "Weapon");
    typeInto(weapon->findChild<QLineEdit*>("Text1"), "99");
    const Bytes before = s.image.bytes();

    s.platform.askAnswers << fix;
    trigger(s, "RunInEmulator");
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY(s.platform.questions[0].contains("checksum"));
    QVERIFY(s.platform.questions[0].contains("not saved in Weapon"));
    QTRY_VERIFY(QFileInfo::exists(args));
    QCOMPARE(QString::fromUtf8(fileContents(args)), s.image.path() + "\n");
    QCOMPARE(checksumOk(s.image.path()), fix);
    // Yes changes the four checksum bytes and nothing else
    const std::vector<std::size_t> changed = changedOffsets(before, s.image.bytes());
    if (fix) {
        QVERIFY(!changed.empty());
        for (std::size_t offset : changed)
            QVERIFY(offset >= kComplementPosition && offset < kComplementPosition + 4);
        // the fix is a step of the history that Undo Save takes back
        QCOMPARE(s.shell().saveLog().history().entries().size(), std::size_t(1));
        QCOMPARE(s.shell().saveLog().history().entries()[0].source, std::string("Run in Emulator"));
    } else {
        QVERIFY(changed.empty());
        QVERIFY(s.shell().saveLog().history().entries().empty());
    }
}

void ToolsTest::missingCommandOpensTheSettings()
{
    Session s;
    QVERIFY(!s.shell().windows().find("Emulator"));
    trigger(s, "RunInEmulator");
    QWidget* dialog = s.shell().windows().find("Emulator");
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(child<QLineEdit>(dialog, "EmulatorCommand")->text().isEmpty());
    QVERIFY(s.platform.messages.isEmpty());
}

void ToolsTest::runInEmulatorNamesTheGridsUnsavedEdits()
{
    Session s;
    const QString args = QFileInfo(s.image.path()).dir().filePath("args.txt");
    setCommand(s, "\"" + standInEmulator(QFileInfo(s.image.path()).path(), args) + "\" %f");
    trigger(s, "TableGrid");
    QWidget* grid = s.shell().windows().find("Grid");
    QVERIFY(grid);
    auto* view = child<QTableView>(grid, "GridView");
    // an edit committed in a cell, as the cell editor commits it
    QVERIFY(view->model()->setData(view->model()->index(3, 2), "12", Qt::EditRole));

    s.platform.askAnswers << false;
    trigger(s, "RunInEmulator");
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY2(s.platform.questions[0].contains("Edits not saved in the Table Grid (1 edit of "), qPrintable(s.platform.questions[0]));
    QTest::qWait(200);
    QVERIFY(!QFileInfo::exists(args));  // No starts nothing
}

void ToolsTest::commandThatCannotStartIsReported_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such file") << "/no/such/folder/emulator %f" << "/no/such/folder/emulator does not exist";
    QTest::newRow("not on the PATH") << "no-such-emulator-here %f" << "no-such-emulator-here was not found on the PATH";
    QTest::newRow("a folder") << "/tmp %f" << "/tmp is not a program that can be run";
    QTest::newRow("unclosed quote") << "\"" << "the command has a double quote that is not closed";
    QTest::newRow("shell syntax") << "mednafen %f > log.txt" << "the command holds an unquoted > (character 13)";
    QTest::newRow("not runnable, on the PATH") << "veldra-not-a-program %f"
                                               << "FOLDER/veldra-not-a-program is not a program that can be run";
}

void ToolsTest::commandThatCannotStartIsReported()
{
    QFETCH(QString, command);
    QFETCH(QString, reason);
    Session s;
    // a file on the PATH that is not marked runnable
    const QString folder = QFileInfo(s.image.path()).path();
    writeFile(QDir(folder).filePath("veldra-not-a-program"), "#!/bin/sh\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder.toLocal8Bit() + ":" + path);
    const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
    setEmulatorCommand(command);
    reason.replace("FOLDER", folder);
    const Bytes before = s.image.bytes();
    trigger(s, "RunInEmulator");
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].contains("could not be started: " + reason), qPrintable(s.platform.messages[0]));
    QVERIFY(s.image.bytes() == before);
}

QTEST_MAIN(ToolsTest)
#include "test_tools.moc"
