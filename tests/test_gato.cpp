#include "tests/enemy_steps.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

constexpr std::uint32_t kGatoSlot = 0x3802F0;

QWidget* openGato(Session& s)
{
    s.mainWindow()->findChild<QAction*>(QStringLiteral("Gato1"))->trigger();
    return s.shell().windows().find(QStringLiteral("Gato"));
}

// Edit > Undo Save or Redo Save of the main window
void trigger(Session& s, const char* action) { s.mainWindow()->findChild<QAction*>(QString::fromLatin1(action))->trigger(); }

int selectedRowOf(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.size() == 1 ? list->row(selected.first()) : -1;
}

}  // namespace

class GatoTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheEnemyInTheSlot_data();
    void opensOnTheEnemyInTheSlot();
    void aChoiceIsWrittenOnlyBySave();
    void namesFromImageKeepTheChoice();
    void clickingTheHighlightedEnemyChoosesIt();
    void quickEditShowsTheChosenEnemy();
    void saveWithNothingChosenWritesNothing();
    void namesListsFollowEveryWriteOfAName();
    void undoOfTheSlotSelectsItsEnemyInTheShownList();
};

void GatoTest::opensOnTheEnemyInTheSlot_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("editCaption");
    QTest::newRow("sample") << 0x92 << "Edit 92 - Enemy 92's Stats";
    QTest::newRow("first") << 0x00 << "Edit 00 - Enemy 00's Stats";
    QTest::newRow("last") << 0xFF << "Edit FF - Enemy FF's Stats";
}

void GatoTest::opensOnTheEnemyInTheSlot()
{
    QFETCH(int, slot);
    QFETCH(QString, editCaption);
    Session s;
    s.image.poke(kGatoSlot, {std::uint8_t(slot)});
    const Bytes before = s.image.bytes();
    QWidget* w = openGato(s);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Change Gato from Place 1 to What Monster?"));
    auto* list1 = child<QListWidget>(w, "List1");
    auto* list2 = child<QListWidget>(w, "List2");
    QCOMPARE(list1->count(), 256);
    QCOMPARE(list1->item(0x92)->text(), QString("92 - Enemy 92"));
    QCOMPARE(list1->currentRow(), slot);
    QCOMPARE(list1->selectedItems().size(), 1);
    QVERIFY(!list2->isVisible());
    QCOMPARE(list2->count(), 0);
    QCOMPARE(bar(w), QStringLiteral("Monster Number %1").arg(slot));
    QCOMPARE(child<QLabel>(w, "bar")->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xFF));
    QCOMPARE(child<QPushButton>(w, "EditG")->text(), editCaption);
    QCOMPARE(child<QPushButton>(w, "Save")->iconSize(), QSize(104, 44));
    QVERIFY(!child<QLineEdit>(w, "Text1")->isVisible());
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

void GatoTest::aChoiceIsWrittenOnlyBySave()
{
    Session s;
    QWidget* w = openGato(s);
    const Bytes before = s.image.bytes();
    clickRow(child<QListWidget>(w, "List1"), 7);
    QCOMPARE(bar(w), QString("Monster Number 7"));
    QCOMPARE(child<QPushButton>(w, "EditG")->text(), QString("Edit 07 - Enemy 07's Stats"));
    QCOMPARE(s.image.bytes(), before);

    click(w, "Save");
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(kGatoSlot, 1));
    QCOMPARE(s.image.bytesAt(kGatoSlot, 1), Bytes{0x07});
    QCOMPARE(bar(w), QString("Gato is now 07 - Enemy 07 !"));
    QVERIFY(s.platform.messages.isEmpty());
}

void GatoTest::namesFromImageKeepTheChoice()
{
    Session s;
    QWidget* w = openGato(s);
    auto* list1 = child<QListWidget>(w, "List1");
    auto* list2 = child<QListWidget>(w, "List2");
    auto* preread = child<QCheckBox>(w, "preread");
    preread->click();
    QVERIFY(list2->isVisible() && !list1->isVisible());
    QCOMPARE(list2->count(), 256);
    QCOMPARE(list2->item(200)->text(), decodedName(s, 200));

    clickRow(list2, 9);
    QCOMPARE(child<QPushButton>(w, "EditG")->text(), "Edit " + decodedName(s, 9) + "'s Stats");
    click(w, "Save");
    QCOMPARE(s.image.bytesAt(kGatoSlot, 1), Bytes{9});
    QCOMPARE(bar(w), "Gato is now " + decodedName(s, 9) + " !");  // trailing blanks and all
    QVERIFY(decodedName(s, 9).endsWith(' '));

    // switching back and forth chooses nothing: Save writes the choice made before
    preread->click();
    QCOMPARE(list2->count(), 0);
    QCOMPARE(list1->currentRow(), 0x92);
    preread->click();
    QVERIFY(list2->selectedItems().isEmpty());
    const Bytes before = s.image.bytes();
    click(w, "Save");
    QVERIFY(s.image.bytes() == before);  // 9 again, not 0x92
    QCOMPARE(bar(w), "Gato is now " + decodedName(s, 9) + " !");

    // with nothing selected in the shown list, Quick Edit has no enemy to show
    click(w, "EditG");
    QVERIFY(!s.shell().windows().find("Monster"));
    QVERIFY(s.platform.messages.isEmpty());
}

void GatoTest::quickEditShowsTheChosenEnemy()
{
    Session s;
    const Bytes before = s.image.bytes();
    QWidget* gato = openGato(s);
    clickRow(child<QListWidget>(gato, "List1"), 0x42);
    click(gato, "EditG");
    QWidget* monster = s.shell().windows().find("Monster");
    QVERIFY(monster);
    QCOMPARE(child<QListWidget>(monster, "List1")->currentRow(), 0x42);
    QCOMPARE(child<QLabel>(monster, "bar")->text(), QString("Monster Number 66"));
    QCOMPARE(child<QLineEdit>(monster, "Text1")->text(), QString::number(before[0x24F800 + 660]));
    QCOMPARE(child<QLineEdit>(monster, "namebox")->text(), decodedName(s, 0x42));

    // the enemy window moves on to another enemy through its own names list
    child<QCheckBox>(monster, "preread")->click();
    auto* monsterNames = child<QListWidget>(monster, "List2");
    clickRow(monsterNames, 3);
    QCOMPARE(child<QLabel>(monster, "bar")->text(), QString("Monster Number 3"));
    // Quick Edit again brings back the chosen enemy, though List1 selects it already
    click(gato, "EditG");
    QCOMPARE(child<QLabel>(monster, "bar")->text(), QString("Monster Number 66"));
    QCOMPARE(monsterNames->currentRow(), 0x42);
    QCOMPARE(child<QLineEdit>(monster, "namebox")->text(), decodedName(s, 0x42));
    typeInto(child<QLineEdit>(monster, "Text2"), "5");
    click(monster, "Save");
    QCOMPARE(s.image.bytesAt(0x24F800 + 661, 1), Bytes{5});
    QVERIFY(s.platform.messages.isEmpty());
}

void GatoTest::saveWithNothingChosenWritesNothing()
{
    Session s;
    const Bytes whole = s.image.bytes();
    // the slot cannot be read when the window opens, so nothing is chosen
    QFile::resize(s.image.path(), kGatoSlot);
    QWidget* w = openGato(s);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(child<QListWidget>(w, "List1")->selectedItems().isEmpty());
    QCOMPARE(bar(w), QString("Label1"));
    {
        QFile file(s.image.path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(whole.data()), qint64(whole.size()));
    }
    click(w, "Save");
    QCOMPARE(s.image.bytes(), whole);
    QCOMPARE(s.platform.messages.size(), 2);
    QVERIFY(s.platform.messages[1].startsWith("no enemy is chosen"));
    QVERIFY(bar(w).startsWith("Not saved: "));
    QVERIFY(!bar(w).startsWith("Gato is now"));
    click(w, "EditG");
    QVERIFY(!s.shell().windows().find("Monster"));
}

void GatoTest::clickingTheHighlightedEnemyChoosesIt()
{
    Session s;
    QWidget* w = openGato(s);
    auto* list1 = child<QListWidget>(w, "List1");
    auto* preread = child<QCheckBox>(w, "preread");
    clickRow(list1, 7);
    preread->click();
    clickRow(child<QListWidget>(w, "List2"), 9);
    preread->click();
    // List1 still highlights enemy 7 while the choice is 9: a click on 7 chooses 7
    QCOMPARE(list1->currentRow(), 7);
    clickRow(list1, 7);
    QCOMPARE(bar(w), QString("Monster Number 7"));
    const Bytes before = s.image.bytes();
    click(w, "Save");
    QCOMPARE(s.image.bytesAt(kGatoSlot, 1), Bytes{7});
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(kGatoSlot, 1));
    QCOMPARE(bar(w), QString("Gato is now 07 - Enemy 07 !"));
    QVERIFY(s.platform.messages.isEmpty());
}

void GatoTest::namesListsFollowEveryWriteOfAName()
{
    Session s;
    QWidget* gato = openGato(s);
    child<QCheckBox>(gato, "preread")->click();
    auto* gatoNames = child<QListWidget>(gato, "List2");
    clickRow(gatoNames, 5);
    QWidget* monster = openMonsterOn(s, 5);
    child<QCheckBox>(monster, "preread")->click();
    auto* monsterNames = child<QListWidget>(monster, "List2");
    const QString original = decodedName(s, 5);
    const Bytes before = s.image.bytes();

    // typed in the enemy window: both names lists, and the Quick Edit caption that quotes one, follow
    typeInto(child<QLineEdit>(monster, "namebox"), "Bolt");
    const QString typed = decodedName(s, 5);
    QCOMPARE(typed, QString("Bolt       "));
    QVERIFY(onlyWithin(before, s.image.bytes(), kEnemyNames + 11 * 5, 11));
    QCOMPARE(gatoNames->item(5)->text(), typed);
    QCOMPARE(monsterNames->item(5)->text(), typed);
    QCOMPARE(child<QPushButton>(gato, "EditG")->text(), "Edit " + typed + "'s Stats");

    // undone and redone from the main window, with the enemy window showing another enemy
    clickRow(monsterNames, 6);
    trigger(s, "UndoSave");
    QVERIFY(s.image.bytes() == before);
    QCOMPARE(gatoNames->item(5)->text(), original);
    QCOMPARE(monsterNames->item(5)->text(), original);
    QCOMPARE(child<QPushButton>(gato, "EditG")->text(), "Edit " + original + "'s Stats");
    trigger(s, "RedoSave");
    QCOMPARE(decodedName(s, 5), typed);
    QCOMPARE(gatoNames->item(5)->text(), typed);
    QCOMPARE(monsterNames->item(5)->text(), typed);
    // no other entry changed, and nothing was chosen or shown anew
    QCOMPARE(gatoNames->item(4)->text(), decodedName(s, 4));
    QCOMPARE(gatoNames->currentRow(), 5);
    QCOMPARE(bar(monster), QString("Monster Number 6"));
    QVERIFY(s.platform.messages.isEmpty());
}

void GatoTest::undoOfTheSlotSelectsItsEnemyInTheShownList()
{
    Session s;
    QWidget* gato = openGato(s);
    auto* list1 = child<QListWidget>(gato, "List1");
    auto* list2 = child<QListWidget>(gato, "List2");
    child<QCheckBox>(gato, "preread")->click();
    clickRow(list2, 9);
    click(gato, "Save");
    QCOMPARE(s.image.bytesAt(kGatoSlot, 1), Bytes{9});

    trigger(s, "UndoSave");
    QCOMPARE(s.image.bytesAt(kGatoSlot, 1), Bytes{0x92});
    QCOMPARE(list2->currentRow(), 0x92);
    QCOMPARE(list2->selectedItems().size(), 1);
    QCOMPARE(selectedRowOf(list2), 0x92);
    QCOMPARE(list1->currentRow(), 0x92);
    QVERIFY2(bar(gato).startsWith("Undo Save -- "), qPrintable(bar(gato)));
    QCOMPARE(child<QPushButton>(gato, "EditG")->text(), "Edit " + decodedName(s, 0x92) + "'s Stats");

    // Quick Edit opens the slot's enemy, not the one chosen before the undo
    click(gato, "EditG");
    QWidget* monster = s.shell().windows().find("Monster");
    QVERIFY(monster);
    QCOMPARE(child<QListWidget>(monster, "List1")->currentRow(), 0x92);
    QCOMPARE(bar(monster), QString("Monster Number 146"));

    // a redo selects 9 again; with List1 shown, an undo selects the slot's enemy there
    trigger(s, "RedoSave");
    QCOMPARE(s.image.bytesAt(kGatoSlot, 1), Bytes{9});
    QCOMPARE(selectedRowOf(list2), 9);
    child<QCheckBox>(gato, "preread")->click();
    QCOMPARE(selectedRowOf(list1), 9);
    trigger(s, "UndoSave");
    QCOMPARE(selectedRowOf(list1), 0x92);
    QCOMPARE(child<QPushButton>(gato, "EditG")->text(), QString("Edit 92 - Enemy 92's Stats"));
    const Bytes before = s.image.bytes();
    click(gato, "Save");
    QVERIFY(s.image.bytes() == before);
    QVERIFY(s.platform.messages.isEmpty());
}

QTEST_MAIN(GatoTest)
#include "test_gato.moc"
