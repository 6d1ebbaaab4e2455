#include "tests/enemy_steps.h"

#include "rom/tables.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

constexpr std::uint32_t kSpriteCreation = 0x24F800;

}  // namespace

class EnemyWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnEnemyZeroWithoutWriting();
    void pageSelectorsShowOnePageAtATime();
    void spriteCreationSavesOnlyItsRecord_data();
    void spriteCreationSavesOnlyItsRecord();
    void spriteCreationRefusesWhatDoesNotConvert_data();
    void spriteCreationRefusesWhatDoesNotConvert();
    void readingNeverChangesAName();
    void typingTheNameWritesOnlyItsSlot_data();
    void typingTheNameWritesOnlyItsSlot();
    void aCharacterWithoutCodeKeepsItsByte();
    void namesFromImageKeepTheDisplayedEnemy();
    void clickingTheHighlightedEnemyShowsIt();
    void noSelectionReadsNothing();
    void failedReadLeavesNothingToSave();
};

void EnemyWindowTest::opensOnEnemyZeroWithoutWriting()
{
    Session s;
    const Bytes before = s.image.bytes();
    QWidget* w = openMonster(s);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Enemy"));
    QCOMPARE(bar(w), QString("Monster Number 0"));
    auto* list1 = child<QListWidget>(w, "List1");
    auto* list2 = child<QListWidget>(w, "List2");
    QCOMPARE(list1->count(), 256);
    QCOMPARE(list1->item(0)->text(), QString("00 - Enemy 00"));
    QCOMPARE(list1->item(255)->text(), QString("FF - Enemy FF"));
    QCOMPARE(list1->currentRow(), 0);
    QVERIFY(!list2->isVisible());
    QCOMPARE(list2->count(), 0);
    QVERIFY(!child<QCheckBox>(w, "preread")->isChecked());
    QVERIFY(child<QGroupBox>(w, "spritecreation")->isVisible());
    for (const char* hidden : {"stats", "aipointer", "reward"})
        QVERIFY(!child<QGroupBox>(w, hidden)->isVisible());

    for (int i = 0; i < 10; ++i)
        QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text%1").arg(i + 1))->text(), QString::number(before[kSpriteCreation + i]));
    QCOMPARE(child<QLineEdit>(w, "namebox")->text(), decodedName(s, 0));
    QCOMPARE(child<QLineEdit>(w, "s2")->text(), QString::number(before[0x0C4900 + 2]));
    QCOMPARE(child<QLineEdit>(w, "r5")->text(), QString::number(before[0x0C6000 + 6]));
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::pageSelectorsShowOnePageAtATime()
{
    Session s;
    QWidget* w = openMonster(s);
    const QList<QPair<QString, QString>> selectors{
        {"Command4", "stats"}, {"Command5", "aipointer"}, {"Command6", "reward"}, {"Command1", "spritecreation"}};
    typeInto(child<QLineEdit>(w, "Text3"), "77");
    for (const auto& [selector, page] : selectors) {
        click(w, selector);
        for (const char* each : {"spritecreation", "stats", "aipointer", "reward"})
            QCOMPARE(child<QGroupBox>(w, each)->isVisible(), page == QLatin1String(each));
    }
    // a hidden page keeps what was typed into it
    QCOMPARE(child<QLineEdit>(w, "Text3")->text(), QString("77"));

    // the selectors work from the keyboard too
    auto* stats = child<QPushButton>(w, "Command4");
    QCOMPARE(stats->text(), QString("Stats"));
    QVERIFY(stats->focusPolicy() & Qt::TabFocus);
    stats->setFocus();
    QTest::keyClick(stats, Qt::Key_Space);
    QVERIFY(child<QGroupBox>(w, "stats")->isVisible());
    QVERIFY(!child<QGroupBox>(w, "spritecreation")->isVisible());
}

void EnemyWindowTest::spriteCreationSavesOnlyItsRecord_data()
{
    QTest::addColumn<int>("enemy");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("saved");
    QTest::newRow("first") << 0 << "Monster Number 0" << "Saved -- 00 - Enemy 00 -- to ROM.";
    QTest::newRow("1F") << 0x1F << "Monster Number 31" << "Saved -- 1F - Enemy 1F -- to ROM.";
    QTest::newRow("last") << 255 << "Monster Number 255" << "Saved -- FF - Enemy FF -- to ROM.";
}

void EnemyWindowTest::spriteCreationSavesOnlyItsRecord()
{
    QFETCH(int, enemy);
    QFETCH(QString, selected);
    QFETCH(QString, saved);
    Session s;
    QWidget* w = openMonster(s);
    clickRow(child<QListWidget>(w, "List1"), enemy);
    QCOMPARE(bar(w), selected);
    const Bytes before = s.image.bytes();

    click(w, "Save");
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(bar(w), saved);

    const QStringList typed{"255", "1", "2", "3", "4", "250", "6", "7", "8", "0"};
    for (int i = 0; i < 10; ++i)
        typeInto(child<QLineEdit>(w, QStringLiteral("Text%1").arg(i + 1)), typed[i]);
    click(w, "Save");
    const std::uint32_t position = kSpriteCreation + 10 * enemy;
    QCOMPARE(s.image.bytesAt(position, 10), (Bytes{255, 1, 2, 3, 4, 250, 6, 7, 8, 0}));
    QVERIFY2(onlyWithin(before, s.image.bytes(), position, 10), "a byte outside the record changed");
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::spriteCreationRefusesWhatDoesNotConvert_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    // the open-ended field takes 256 as typed; the byte cannot hold it
    QTest::newRow("location above a byte") << "Text1" << "256" << "Sprite Starting Location";
    QTest::newRow("negative") << "Text4" << "-1" << "Sprite Assembly";
    QTest::newRow("not a number") << "Text9" << "abc" << "Unknown 4";
}

void EnemyWindowTest::spriteCreationRefusesWhatDoesNotConvert()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    Session s;
    QWidget* w = openMonster(s);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, field), typed);
    click(w, "Save");
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(label));
    QVERIFY(s.platform.messages[0].contains("0 to 255"));
    QCOMPARE(child<QLineEdit>(w, field)->text(), typed);
    QVERIFY2(bar(w).startsWith("Not saved: ") && bar(w).contains(label), qPrintable(bar(w)));
}

void EnemyWindowTest::readingNeverChangesAName()
{
    Session s;
    // bytes the codec cannot give back one for one: no character, the second
    // apostrophe, the three dots (which make the shown text longer than 11)
    s.image.poke(kEnemyNames + 11 * 3, {0xA0, 0x00, 0xE7, 0xF1, 0xB0, 0xF1, 0xF1, 0xBA, 0xE0, 0xEF, 0xD5});
    s.image.poke(kEnemyNames + 11 * 4, {0xF1, 0xF1, 0xF1, 0xF1, 0xF1, 0xF1, 0xF1, 0xF1, 0xF1, 0xF1, 0xF1});
    const Bytes before = s.image.bytes();
    QWidget* w = openMonster(s);
    auto* list1 = child<QListWidget>(w, "List1");
    clickRow(list1, 3);
    QCOMPARE(child<QLineEdit>(w, "namebox")->text(), QString("A'...Q......a 1").left(11));
    clickRow(list1, 4);
    clickRow(list1, 3);
    child<QCheckBox>(w, "preread")->click();
    clickRow(child<QListWidget>(w, "List2"), 4);
    QCOMPARE(child<QListWidget>(w, "List2")->item(3)->text(), QString("A'...Q......a 1"));
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::typingTheNameWritesOnlyItsSlot_data()
{
    QTest::addColumn<int>("enemy");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<Bytes>("slot");
    const Bytes blanks(11, 0xEF);
    QTest::newRow("short name") << 0 << "Hi" << "Hi" << Bytes{0xA7, 0xC2, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF};
    QTest::newRow("last enemy") << 255 << "Zo 9!" << "Zo 9!"
                                << Bytes{0xB9, 0xC8, 0xEF, 0xDD, 0xDE, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF};
    QTest::newRow("emptied") << 7 << "" << "" << blanks;
    QTest::newRow("longer than the slot") << 2 << "Abcdefghijklmn" << "Abcdefghijk"
                                          << Bytes{0xA0, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4};
    QTest::newRow("apostrophe") << 9 << "O'x" << "O'x" << Bytes{0xAE, 0xE2, 0xD1, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF};
}

void EnemyWindowTest::typingTheNameWritesOnlyItsSlot()
{
    QFETCH(int, enemy);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(Bytes, slot);
    Session s;
    QWidget* w = openMonster(s);
    clickRow(child<QListWidget>(w, "List1"), enemy);
    const Bytes before = s.image.bytes();
    auto* namebox = child<QLineEdit>(w, "namebox");
    typeInto(namebox, typed);
    QCOMPARE(namebox->text(), shown);
    const std::uint32_t position = kEnemyNames + 11 * enemy;
    QCOMPARE(s.image.bytesAt(position, 11), slot);
    QVERIFY2(onlyWithin(before, s.image.bytes(), position, 11), "a byte outside the name changed");
    QCOMPARE(bar(w), QStringLiteral("Monster Number %1").arg(enemy));
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::aCharacterWithoutCodeKeepsItsByte()
{
    Session s;
    QWidget* w = openMonster(s);
    const Bytes before = s.image.bytesAt(kEnemyNames, 11);
    auto* namebox = child<QLineEdit>(w, "namebox");
    // pasted at once, so that no keystroke before it has blanked the place of the hyphen
    QGuiApplication::clipboard()->setText("A-b");
    namebox->setFocus();
    namebox->selectAll();
    QTest::keySequence(namebox, QKeySequence::Paste);
    QCOMPARE(namebox->text(), QString("A-b"));
    QCOMPARE(s.image.bytesAt(kEnemyNames, 11), (Bytes{0xA0, before[1], 0xBB, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}));
}

void EnemyWindowTest::namesFromImageKeepTheDisplayedEnemy()
{
    Session s;
    QWidget* w = openMonster(s);
    auto* list1 = child<QListWidget>(w, "List1");
    auto* list2 = child<QListWidget>(w, "List2");
    auto* preread = child<QCheckBox>(w, "preread");
    clickRow(list1, 9);
    const Bytes before = s.image.bytes();

    preread->click();
    QVERIFY(list2->isVisible());
    QVERIFY(!list1->isVisible());
    QCOMPARE(list2->count(), 256);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(list2->item(i)->text(), decodedName(s, i));  // trailing blanks kept
    QVERIFY(list2->item(0)->text().endsWith(' '));
    QVERIFY(list2->selectedItems().isEmpty());
    QCOMPARE(bar(w), QString("Monster Number 9"));

    // the switch read nothing: Save still goes to enemy 9, quoted by its name
    typeInto(child<QLineEdit>(w, "Text2"), "1");
    click(w, "Save");
    QCOMPARE(bar(w), "Saved -- " + decodedName(s, 9) + " -- to ROM.");
    QVERIFY(onlyWithin(before, s.image.bytes(), kSpriteCreation + 90, 10));
    QCOMPARE(s.image.bytesAt(kSpriteCreation + 90 + 1, 1), Bytes{1});

    clickRow(list2, 5);
    QCOMPARE(bar(w), QString("Monster Number 5"));
    QCOMPARE(child<QLineEdit>(w, "namebox")->text(), decodedName(s, 5));
    const Bytes beforeFive = s.image.bytes();
    click(w, "Command4");
    typeInto(child<QLineEdit>(w, "s9"), "42");
    click(w, "Save2");
    QCOMPARE(bar(w), "Saved -- " + decodedName(s, 5) + " -- to ROM.");
    QCOMPARE(s.image.bytesAt(0x0C4900 + 23 * 5 + 9, 1), Bytes{42});
    QVERIFY(onlyWithin(beforeFive, s.image.bytes(), 0x0C4900 + 23 * 5, 23));

    // a name typed now shows in List2 as the image holds it
    typeInto(child<QLineEdit>(w, "namebox"), "Newt");
    QCOMPARE(list2->item(5)->text(), QString("Newt       "));

    preread->click();
    QCOMPARE(list2->count(), 0);
    QVERIFY(list1->isVisible());
    QVERIFY(!list2->isVisible());
    QCOMPARE(list1->currentRow(), 9);
    QCOMPARE(list1->selectedItems().size(), 1);
    click(w, "Save2");
    QCOMPARE(bar(w), QString("Saved -- 05 - Enemy 05 -- to ROM."));
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::clickingTheHighlightedEnemyShowsIt()
{
    Session s;
    QWidget* w = openMonster(s);
    auto* list1 = child<QListWidget>(w, "List1");
    auto* preread = child<QCheckBox>(w, "preread");
    clickRow(list1, 9);
    preread->click();
    clickRow(child<QListWidget>(w, "List2"), 5);
    preread->click();
    // List1 still highlights enemy 9 while the fields show enemy 5: a click on 9 shows 9
    QCOMPARE(list1->currentRow(), 9);
    clickRow(list1, 9);
    QCOMPARE(bar(w), QString("Monster Number 9"));
    QCOMPARE(child<QLineEdit>(w, "namebox")->text(), decodedName(s, 9));
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text2"), "7");
    click(w, "Save");
    QCOMPARE(bar(w), QString("Saved -- 09 - Enemy 09 -- to ROM."));
    QCOMPARE(s.image.bytesAt(kSpriteCreation + 90 + 1, 1), Bytes{7});
    QVERIFY(onlyWithin(before, s.image.bytes(), kSpriteCreation + 90, 10));

    // a click on the enemy already shown keeps what was typed
    typeInto(child<QLineEdit>(w, "Text3"), "8");
    clickRow(list1, 9);
    QCOMPARE(child<QLineEdit>(w, "Text3")->text(), QString("8"));
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::noSelectionReadsNothing()
{
    Session s;
    QWidget* w = openMonster(s);
    auto* list1 = child<QListWidget>(w, "List1");
    clickRow(list1, 12);
    typeInto(child<QLineEdit>(w, "Text2"), "33");
    const Bytes before = s.image.bytes();
    // a control-click takes the selection away: no enemy is named, nothing is read
    const QRect rect = list1->visualItemRect(list1->item(12));
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    QVERIFY(list1->selectedItems().isEmpty());
    QCOMPARE(bar(w), QString("Monster Number 12"));
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QString("33"));
    click(w, "Save");
    QCOMPARE(s.image.bytesAt(kSpriteCreation + 120 + 1, 1), Bytes{33});
    QVERIFY(onlyWithin(before, s.image.bytes(), kSpriteCreation + 120, 10));
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyWindowTest::failedReadLeavesNothingToSave()
{
    Session s;
    QWidget* w = openMonster(s);
    auto* list1 = child<QListWidget>(w, "List1");
    typeInto(child<QLineEdit>(w, "Text2"), "99");  // unsaved, of enemy 0
    // the image shrinks under the window: sprite records from enemy 26 on are gone
    QFile::resize(s.image.path(), kSpriteCreation + 0x100);
    const Bytes shrunk = s.image.bytes();
    clickRow(list1, 30);
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(bar(w), QString("Monster Number 30 could not be read"));
    for (const char* save : {"Save", "Save2", "Save3", "Save4"})
        QVERIFY(!child<QPushButton>(w, save)->isEnabled());
    QVERIFY(!child<QLineEdit>(w, "namebox")->isEnabled());
    for (const char* selector : {"Command1", "Command4", "Command5", "Command6"}) {
        click(w, selector);
        for (const char* save : {"Save", "Save2", "Save3", "Save4"})
            click(w, save);
    }
    QTest::keyClicks(child<QLineEdit>(w, "namebox"), "X");
    QCOMPARE(s.image.bytes(), shrunk);
    QCOMPARE(s.platform.messages.size(), 1);

    // a readable enemy brings the pages back
    clickRow(list1, 1);
    QCOMPARE(bar(w), QString("Monster Number 1"));
    QVERIFY(child<QPushButton>(w, "Save")->isEnabled());

    // a missing file is one message, not one per table
    QFile::remove(s.image.path());
    clickRow(list1, 3);
    QCOMPARE(s.platform.messages.size(), 2);
    QVERIFY(s.platform.messages[1].contains("no such file"));
    QVERIFY(!QFile::exists(s.image.path()));
}

QTEST_MAIN(EnemyWindowTest)
#include "test_enemy_window.moc"
