#include "tests/support/test_support.h"

#include "rom/tables.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

// Save history, undo and redo, and the checked save, driven through the
// windows as a user would: save, undo, and see the old values in the window
// and in the file.

namespace {

// One Save of an editor: the page to show first, the button, the field to
// change (none: the Gato window, whose choice is a list row) and its table.
struct SaveStep {
    int listIndex;  // row of the main window's editor list; -1 for Other > Gato
    const char* window;
    const char* selector;
    const char* save;
    const char* field;
    const Table* table;
};

const SaveStep kSteps[] = {
    {0, "Character", "", "Save", "Text3", &tables::characterSprites},
    {1, "NPC", "", "Save", "Text1", &tables::npcSprites},
    {2, "Monster", "Command1", "Save", "Text2", &tables::enemySpriteCreation},
    {2, "Monster", "Command4", "Save2", "s9", &tables::enemyStats},
    {2, "Monster", "Command5", "Save3", "AIT", &tables::enemyAiPointers},
    {2, "Monster", "Command6", "Save4", "r5", &tables::enemyRewards},
    {3, "Weapon", "", "Save", "Text1", &tables::weapons},
    {4, "Armor", "", "Save", "Text1", &tables::armor},
    {5, "Accessory", "", "Save", "TypeOfEffect", &tables::accessoryEffects},
    {6, "Item2", "", "Save", "Text3", &tables::itemSecondary},
    {7, "KeyItemandConsumables", "", "Save", "Text1", &tables::consumables},
    {8, "Chests", "", "Save", "c1", &tables::chests},
    {-1, "Gato", "", "Save", "", &tables::gatoSlot},
};

void addStepRows()
{
    QTest::addColumn<int>("step");
    for (std::size_t i = 0; i < std::size(kSteps); ++i)
        QTest::newRow(QStringLiteral("%1 %2").arg(kSteps[i].window, kSteps[i].save).toLatin1()) << int(i);
}

QAction* action(Session& s, const char* name) { return s.mainWindow()->findChild<QAction*>(name); }
QString bar(QWidget* w) { return child<QLabel>(w, QStringLiteral("bar"))->text(); }
QListWidget* historyList(Session& s)
{
    action(s, "History")->trigger();
    return child<QListWidget>(s.shell().windows().find(QStringLiteral("History")), QStringLiteral("HistoryList"));
}

// The editor of `step` on entry 1 (the Gato window: as it opens), its page shown.
QWidget* openOnEntry1(Session& s, const SaveStep& step)
{
    QWidget* w = nullptr;
    if (step.listIndex >= 0) {
        w = s.openEditor(step.listIndex, QString::fromLatin1(step.window));
        clickRow(child<QListWidget>(w, QStringLiteral("List1")), 1);
    } else {
        action(s, "Gato1")->trigger();
        w = s.shell().windows().find(QStringLiteral("Gato"));
    }
    if (w && *step.selector)
        QTest::mouseClick(child<QPushButton>(w, step.selector), Qt::LeftButton);
    return w;
}

// What the window shows of the step's value: the field's text, or the Gato choice.
QString shown(QWidget* w, const SaveStep& step)
{
    if (*step.field)
        return child<QLineEdit>(w, step.field)->text();
    return QString::number(child<QListWidget>(w, QStringLiteral("List1"))->currentRow());
}

// Changes the step's value as a user would, to one it does not hold.
void change(QWidget* w, const SaveStep& step)
{
    const int next = (shown(w, step).toInt() + 1) % 250;
    if (*step.field)
        typeInto(child<QLineEdit>(w, step.field), QString::number(next));
    else
        clickRow(child<QListWidget>(w, QStringLiteral("List1")), next);
}

std::uint32_t positionOf(const SaveStep& step) { return *recordPosition(*step.table, step.table == &tables::gatoSlot ? 0 : 1); }

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void undoAndRedoThroughEveryEditor_data() { addStepRows(); }
    void undoAndRedoThroughEveryEditor();
    void everySaveChecksWhatItOverwrites_data() { addStepRows(); }
    void everySaveChecksWhatItOverwrites();
    void undoIsRefusedAfterAnOutsideChange();
    void shortcutsBelongToTheMainWindow();
    void historyListsTheSavesNewestFirst();
    void namesTypedAreOneSave();
    void loadingAnotherImageForgetsTheHistory();
    void aSaveOfValuesReadFromAnotherImageWritesNeither_data() { addStepRows(); }
    void aSaveOfValuesReadFromAnotherImageWritesNeither();
    void aNameTypedAfterAnotherImageWasLoadedWritesNeither();
};

void UndoTest::undoAndRedoThroughEveryEditor()
{
    QFETCH(int, step);
    const SaveStep& st = kSteps[step];
    Session s;
    QWidget* w = openOnEntry1(s, st);
    QVERIFY(w);
    QVERIFY(!action(s, "UndoSave")->isEnabled() && !action(s, "RedoSave")->isEnabled());
    const Bytes original = s.image.bytes();
    const QString before = shown(w, st);
    change(w, st);
    const QString after = shown(w, st);
    clickSave(w, st.save);
    const Bytes saved = s.image.bytes();
    QVERIFY(saved != original);
    QVERIFY(action(s, "UndoSave")->isEnabled());

    action(s, "UndoSave")->trigger();
    QVERIFY2(s.image.bytes() == original, "the undo must give back every byte as it was");
    QCOMPARE(shown(w, st), before);
    QVERIFY2(bar(w).startsWith(QLatin1String("Undo Save -- ")), qPrintable(bar(w)));
    QVERIFY(!action(s, "UndoSave")->isEnabled() && action(s, "RedoSave")->isEnabled());
    QVERIFY(s.platform.messages.isEmpty());

    action(s, "RedoSave")->trigger();
    QVERIFY(s.image.bytes() == saved);
    QCOMPARE(shown(w, st), after);
    QVERIFY2(bar(w).startsWith(QLatin1String("Redo Save -- ")), qPrintable(bar(w)));

    // a Save right after the re-read goes through as usual: the window holds what the image holds
    action(s, "UndoSave")->trigger();
    clickSave(w, st.save);
    QVERIFY(s.image.bytes() == original);
    QVERIFY(s.platform.questions.isEmpty());
    QVERIFY(s.platform.messages.isEmpty());
}

void UndoTest::everySaveChecksWhatItOverwrites()
{
    QFETCH(int, step);
    const SaveStep& st = kSteps[step];
    Session s;
    QWidget* w = openOnEntry1(s, st);
    QVERIFY(w);
    // another program changes the record after the window read it
    const std::uint32_t at = positionOf(st);
    const std::uint8_t outside = static_cast<std::uint8_t>(s.image.bytesAt(at, 1)[0] ^ 0x01);
    s.image.poke(at, {outside});
    const Bytes changed = s.image.bytes();
    change(w, st);

    s.platform.askAnswers << false;
    clickSave(w, st.save);
    QVERIFY2(s.image.bytes() == changed, "a refused Save writes nothing");
    QCOMPARE(s.platform.questions.size(), 1);
    const QString question = s.platform.questions[0];
    QVERIFY2(question.contains(QStringLiteral("was changed in ") + s.image.path()), qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("Read it again?")), qPrintable(question));
    QVERIFY2(question.contains(QString::fromLatin1(st.table->name.data(), qsizetype(st.table->name.size()))), qPrintable(question));
    QVERIFY2(bar(w).startsWith(QLatin1String("Not saved: ")), qPrintable(bar(w)));
    QVERIFY(!action(s, "UndoSave")->isEnabled());

    // Yes reads the entry again: the window shows what the other program wrote, and saves over it from then on
    s.platform.askAnswers << true;
    clickSave(w, st.save);
    QVERIFY(s.image.bytes() == changed);
    QCOMPARE(s.platform.questions.size(), 2);
    QVERIFY2(bar(w).contains(QLatin1String("read again")), qPrintable(bar(w)));
    change(w, st);
    clickSave(w, st.save);
    QCOMPARE(s.platform.questions.size(), 2);
    QVERIFY(s.platform.messages.isEmpty());
    const std::vector<std::size_t> written = changedOffsets(changed, s.image.bytes());
    QVERIFY(!written.empty());
    for (std::size_t offset : written)
        QVERIFY(offset >= at && offset < at + st.table->recordSize);
    QVERIFY(action(s, "UndoSave")->isEnabled());
}

void UndoTest::undoIsRefusedAfterAnOutsideChange()
{
    Session s;
    QWidget* w = s.openEditor(3, QStringLiteral("Weapon"));
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), 4);
    const std::uint32_t at = tables::weapons.base + 4 * tables::weapons.recordSize;
    typeInto(child<QLineEdit>(w, QStringLiteral("Text1")), QStringLiteral("120"));
    clickSave(w);
    QCOMPARE(s.image.bytesAt(at, 1), Bytes{120});

    // another program writes the attack; the undo would overwrite it
    s.image.poke(at, {77});
    const Bytes changed = s.image.bytes();
    action(s, "UndoSave")->trigger();
    QVERIFY(s.image.bytes() == changed);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY2(s.platform.messages[0].startsWith(QLatin1String("Undo refused: ")), qPrintable(s.platform.messages[0]));
    QVERIFY(s.platform.messages[0].contains(child<QListWidget>(w, QStringLiteral("List1"))->item(4)->text()));
    QVERIFY(s.platform.messages[0].contains(QLatin1String("Nothing was written.")));
    QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text1"))->text(), QStringLiteral("120"));  // not read again
    QVERIFY(action(s, "UndoSave")->isEnabled());

    // once the record holds again what the save left, the undo goes through
    s.image.poke(at, {120});
    action(s, "UndoSave")->trigger();
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.image.bytesAt(at, 1) != Bytes{120});
    QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text1"))->text(), QString::number(s.image.bytesAt(at, 1)[0]));
}

void UndoTest::shortcutsBelongToTheMainWindow()
{
    Session s;
    QWidget* w = s.openEditor(3, QStringLiteral("Weapon"));
    auto* attack = child<QLineEdit>(w, QStringLiteral("Text1"));
    const QString old = attack->text();
    const Bytes original = s.image.bytes();
    typeInto(attack, QStringLiteral("201"));
    clickSave(w);
    const Bytes saved = s.image.bytes();

    // in the editor, Ctrl+Z is the text field's own and Ctrl+Alt+Z is nothing
    typeInto(attack, QStringLiteral("5"));
    QTest::keyClick(attack, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(attack->text(), QStringLiteral("201"));
    QTest::keyClick(attack, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(s.image.bytes() == saved);

    // in the main window they undo and redo the save
    QCOMPARE(action(s, "UndoSave")->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    QCOMPARE(action(s, "UndoSave")->shortcutContext(), Qt::WindowShortcut);
    s.mainWindow()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.mainWindow()));
    // (the editor still holds the keys typed there: it keeps them and says so)
    const QString typed = attack->text();
    QTest::keyClick(s.mainWindow(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(s.image.bytes() == original);
    QCOMPARE(attack->text(), typed);
    QVERIFY2(child<QLabel>(w, QStringLiteral("bar"))->text().contains(QStringLiteral("kept")),
             qPrintable(child<QLabel>(w, QStringLiteral("bar"))->text()));
    // read again, the editor follows the redo
    auto* list = child<QListWidget>(w, QStringLiteral("List1"));
    const int row = list->currentRow();
    clickRow(list, row + 1);
    clickRow(list, row);
    QCOMPARE(attack->text(), old);
    QTest::keyClick(s.mainWindow(), Qt::Key_Y, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(s.image.bytes() == saved);
    QCOMPARE(attack->text(), QStringLiteral("201"));
}

void UndoTest::historyListsTheSavesNewestFirst()
{
    Session s;
    QListWidget* rows = historyList(s);
    QVERIFY(rows);
    QCOMPARE(rows->count(), 0);

    QWidget* weapon = s.openEditor(3, QStringLiteral("Weapon"));
    auto* weapons = child<QListWidget>(weapon, QStringLiteral("List1"));
    clickRow(weapons, 4);
    const QString sword = weapons->item(4)->text();
    const QString attack = child<QLineEdit>(weapon, QStringLiteral("Text1"))->text();
    const QString critical = child<QLineEdit>(weapon, QStringLiteral("Text3"))->text();
    typeInto(child<QLineEdit>(weapon, QStringLiteral("Text1")), QStringLiteral("120"));
    clickSave(weapon);
    QCOMPARE(rows->count(), 1);
    QCOMPARE(rows->item(0)->text(), QStringLiteral("Weapons · %1 · Attack %2 -> 120").arg(sword, attack));

    // a save that changes nothing is no row; one that changes two fields names both
    clickSave(weapon);
    QCOMPARE(rows->count(), 1);
    typeInto(child<QLineEdit>(weapon, QStringLiteral("Text1")), QStringLiteral("121"));
    typeInto(child<QLineEdit>(weapon, QStringLiteral("Text3")), QString::number((critical.toInt() + 1) % 250));
    clickSave(weapon);
    QCOMPARE(rows->count(), 2);
    QCOMPARE(rows->item(0)->text(), QStringLiteral("Weapons · %1 · Attack 120 -> 121, Critical Hit % %2 -> %3")
                                        .arg(sword, critical)
                                        .arg((critical.toInt() + 1) % 250));

    // an accessory save writes two records: one row, one undo
    QWidget* accessory = s.openEditor(5, QStringLiteral("Accessory"));
    auto* accessories = child<QListWidget>(accessory, QStringLiteral("List1"));
    clickRow(accessories, 2);
    const QString value = child<QLineEdit>(accessory, QStringLiteral("ValueOfEffect"))->text();
    const QString price = child<QLineEdit>(accessory, QStringLiteral("Price"))->text();
    const Bytes beforeAccessory = s.image.bytes();
    typeInto(child<QLineEdit>(accessory, QStringLiteral("ValueOfEffect")), QString::number((value.toInt() + 3) % 250));
    typeInto(child<QLineEdit>(accessory, QStringLiteral("Price")), QString::number((price.toInt() + 3) % 60000));
    clickSave(accessory);
    QCOMPARE(rows->count(), 3);
    QCOMPARE(rows->item(0)->text(), QStringLiteral("Accessory equip + Accessory effects · %1 · Accessory Price %2 -> %3, "
                                                   "Value of Effect %4 -> %5")
                                        .arg(accessories->item(2)->text(), price)
                                        .arg((price.toInt() + 3) % 60000)
                                        .arg(value)
                                        .arg((value.toInt() + 3) % 250));
    QVERIFY(rows->item(0)->toolTip().contains(QLatin1String("Saved by Accessory")));

    action(s, "UndoSave")->trigger();
    QVERIFY(s.image.bytes() == beforeAccessory);
    QCOMPARE(child<QLineEdit>(accessory, QStringLiteral("Price"))->text(), price);
    QCOMPARE(child<QLineEdit>(accessory, QStringLiteral("ValueOfEffect"))->text(), value);
    QCOMPARE(rows->count(), 3);
    QVERIFY(rows->item(0)->text().endsWith(QLatin1String(" (undone)")));
    QVERIFY(!rows->item(1)->text().endsWith(QLatin1String(" (undone)")));

    // a new save after an undo replaces the undone one
    clickRow(weapons, 5);
    typeInto(child<QLineEdit>(weapon, QStringLiteral("Text1")), QStringLiteral("9"));
    clickSave(weapon);
    QCOMPARE(rows->count(), 3);
    QVERIFY(rows->item(0)->text().startsWith(QStringLiteral("Weapons · %1 · Attack ").arg(weapons->item(5)->text())));
    QVERIFY(!action(s, "RedoSave")->isEnabled());

    // an undo with the window closed still writes the record back
    const Bytes beforeSecondUndo = s.image.bytes();
    weapon->close();
    action(s, "UndoSave")->trigger();
    QVERIFY(s.image.bytes() != beforeSecondUndo);
    QCOMPARE(changedOffsets(beforeSecondUndo, s.image.bytes()),
             offsetRange(tables::weapons.base + 5 * tables::weapons.recordSize, 1));
}

void UndoTest::namesTypedAreOneSave()
{
    Session s;
    QWidget* w = s.openEditor(2, QStringLiteral("Monster"));
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), 4);
    auto* preread = child<QCheckBox>(w, QStringLiteral("preread"));
    preread->click();  // List2: the names as the image holds them
    auto* list2 = child<QListWidget>(w, QStringLiteral("List2"));
    auto* namebox = child<QLineEdit>(w, QStringLiteral("namebox"));
    const QString old = namebox->text();
    const Bytes original = s.image.bytes();
    typeInto(namebox, QStringLiteral("Newt"));
    QCOMPARE(list2->item(4)->text().trimmed(), QStringLiteral("Newt"));
    QListWidget* rows = historyList(s);
    QCOMPARE(rows->count(), 1);
    QVERIFY2(rows->item(0)->text().endsWith(QStringLiteral(" · Enemy Name \"%1\" -> \"Newt\"").arg(old.trimmed())),
             qPrintable(rows->item(0)->text()));

    action(s, "UndoSave")->trigger();
    QVERIFY(s.image.bytes() == original);
    QCOMPARE(namebox->text(), old);
    QCOMPARE(list2->item(4)->text(), old);
    QVERIFY(!action(s, "UndoSave")->isEnabled());
}

void UndoTest::loadingAnotherImageForgetsTheHistory()
{
    Session s;
    QWidget* w = s.openEditor(0, QStringLiteral("Character"));
    typeInto(child<QLineEdit>(w, QStringLiteral("Text1")), QStringLiteral("3"));
    clickSave(w);
    QVERIFY(action(s, "UndoSave")->isEnabled());

    // the same image again keeps it
    s.load(s.image.path());
    QVERIFY(action(s, "UndoSave")->isEnabled());
    // a rejected file leaves the image loaded, and its history
    const QString other = QFileInfo(s.image.path()).dir().filePath(QStringLiteral("other.sfc"));
    QVERIFY(QFile::copy(s.image.path(), other));
    const QString notAnImage = QFileInfo(s.image.path()).dir().filePath(QStringLiteral("text.txt"));
    QFile text(notAnImage);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();
    s.load(notAnImage);
    QVERIFY(action(s, "UndoSave")->isEnabled());

    s.load(other);
    QVERIFY(!action(s, "UndoSave")->isEnabled());
    QCOMPARE(historyList(s)->count(), 0);
    const Bytes otherBytes = SampleImage::read(other);
    action(s, "UndoSave")->trigger();  // disabled: nothing happens, nothing is written
    QVERIFY(SampleImage::read(other) == otherBytes);
}

void UndoTest::aSaveOfValuesReadFromAnotherImageWritesNeither()
{
    QFETCH(int, step);
    const SaveStep& st = kSteps[step];
    Session s;
    SampleImage b;  // a second image of the game
    const QString a = s.image.path();
    QWidget* w = openOnEntry1(s, st);
    QVERIFY(w);
    // the image the values came from, loaded again, is saved to as ever
    s.load(b.path());
    s.load(a);
    change(w, st);
    clickSave(w, st.save);
    QVERIFY(s.platform.questions.isEmpty());
    QVERIFY(s.image.bytes() != b.bytes());

    s.load(b.path());
    QVERIFY(s.platform.messages.isEmpty());
    change(w, st);
    const Bytes aBefore = s.image.bytes();
    const Bytes bBefore = b.bytes();

    // No: nothing is written, to either file, and the user learns where the values came from
    s.platform.askAnswers << false;
    clickSave(w, st.save);
    QVERIFY2(s.image.bytes() == aBefore, "the image the values came from is not written");
    QVERIFY2(b.bytes() == bBefore, "the image loaded now is not written");
    QCOMPARE(s.platform.questions.size(), 1);
    const QString question = s.platform.questions[0];
    QVERIFY2(question.contains(QStringLiteral("was read from ") + a + QStringLiteral(", but the image loaded now is ") + b.path()),
             qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("Nothing was saved to either file.")), qPrintable(question));
    QVERIFY2(!question.contains(QStringLiteral("was changed in")), qPrintable(question));
    QVERIFY2(bar(w).startsWith(QLatin1String("Not saved: ")), qPrintable(bar(w)));
    QVERIFY(!action(s, "UndoSave")->isEnabled());

    // Yes reads the entry again from the image loaded now; a Save from then on writes that image only
    s.platform.askAnswers << true;
    clickSave(w, st.save);
    QVERIFY(s.image.bytes() == aBefore && b.bytes() == bBefore);
    QCOMPARE(s.platform.questions.size(), 2);
    QVERIFY2(bar(w).contains(QStringLiteral("read again from ") + b.path()), qPrintable(bar(w)));
    change(w, st);
    clickSave(w, st.save);
    QCOMPARE(s.platform.questions.size(), 2);
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(s.image.bytes() == aBefore);
    const std::vector<std::size_t> written = changedOffsets(bBefore, b.bytes());
    QVERIFY(!written.empty());
    for (std::size_t offset : written)
        QVERIFY(offset >= positionOf(st) && offset < positionOf(st) + st.table->recordSize);
}

void UndoTest::aNameTypedAfterAnotherImageWasLoadedWritesNeither()
{
    Session s;
    SampleImage b;
    QWidget* w = s.openEditor(2, QStringLiteral("Monster"));
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), 4);
    s.load(b.path());
    const Bytes aBefore = s.image.bytes();
    const Bytes bBefore = b.bytes();
    typeInto(child<QLineEdit>(w, QStringLiteral("namebox")), QStringLiteral("Zed"));
    QVERIFY(s.image.bytes() == aBefore && b.bytes() == bBefore);
    QCOMPARE(s.platform.questions.size(), 1);  // the field waits after the first refused key
    QVERIFY2(s.platform.questions[0].contains(QStringLiteral("was read from ") + s.image.path()), qPrintable(s.platform.questions[0]));
    QVERIFY(!child<QLineEdit>(w, QStringLiteral("namebox"))->isEnabled());
    // choosing the enemy again reads it from the image loaded now, where the name is then written
    clickRow(child<QListWidget>(w, QStringLiteral("List1")), 4);
    typeInto(child<QLineEdit>(w, QStringLiteral("namebox")), QStringLiteral("Zed"));
    QVERIFY(s.image.bytes() == aBefore);
    const std::vector<std::size_t> written = changedOffsets(bBefore, b.bytes());
    QVERIFY(!written.empty());
    for (std::size_t offset : written)
        QVERIFY(offset >= *recordPosition(tables::enemyNames, 4) && offset < *recordPosition(tables::enemyNames, 5));
    QCOMPARE(s.platform.questions.size(), 1);
}

QTEST_MAIN(UndoTest)
#include "test_undo.moc"
