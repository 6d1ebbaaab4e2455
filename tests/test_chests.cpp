#include "tests/support/combo_input.h"
#include "tests/support/test_support.h"

#include "editors/common/labels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kBase = 0x35F602;
constexpr int kRow = 5;  // the chest most cases edit
constexpr int kPosition = kBase + 4 * kRow;


// The chest window on chest kRow, whose record is `record`.
QWidget* openOn(Session& s, const Bytes& record)
{
    s.image.poke(kPosition, record);
    QWidget* w = s.openEditor(8, "Chests");
    clickRow(child<QListWidget>(w, "List1"), kRow);
    return w;
}

void setType(QWidget* w, bool gold, bool events, bool item)
{
    child<QCheckBox>(w, "gold")->setChecked(gold);
    child<QCheckBox>(w, "events")->setChecked(events);
    child<QCheckBox>(w, "item")->setChecked(item);
}

// The written record, after checking that nothing outside it changed.
Bytes savedRecord(Session& s, QWidget* w)
{
    const Bytes before = s.image.bytes();
    clickSave(w);
    for (std::size_t offset : changedOffsets(before, s.image.bytes()))
        if (offset < std::size_t(kPosition) || offset >= std::size_t(kPosition + 4))
            return {};
    return s.image.bytesAt(kPosition, 4);
}

}  // namespace

class ChestsTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnFirstChest();
    void itemDropDownsListEveryItem();
    void readsTheChestType_data();
    void readsTheChestType();
    void savingUntouchedChangesNothing();
    void pickedItemIsSaved();
    void bothTypeFlagsGiveAGoldChest();
    void itemChestKeepsItsUnshownBits();
    void typeChangeDropsItemBits();
    void locationFieldsKeepInRange();
    void valueMustFitTheSavedType_data();
    void valueMustFitTheSavedType();
    void typedItemTakesEffectAtSave_data();
    void typedItemTakesEffectAtSave();
    void typedItemThatIsNoItemRefusesTheSave();
    void sharedItemLabelKeepsTheItemShown();
    void negativeTypedItemBecomesZero();
    void typingIntoAHiddenDropDownIsDropped();
    void statusLines();
};

void ChestsTest::opensOnFirstChest()
{
    Session s;
    QWidget* w = s.openEditor(8, "Chests");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Treasure Chests"));
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), 256);
    QCOMPARE(list->item(0)->text(), QString("Chest Number : 0"));
    QCOMPARE(list->item(255)->text(), QString("Chest Number : 255"));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Chest Number 0"));
    QCOMPARE(child<QGroupBox>(w, "Frame5")->title(), QString("If Chest holds an Item"));
    QCOMPARE(child<QGroupBox>(w, "Frame6")->title(), QString("If Chest holds a Gold Amount"));
    QCOMPARE(child<QGroupBox>(w, "Frame7")->title(), QString("X && Y location coords"));
    QCOMPARE(child<QGroupBox>(w, "Frame4")->title(), QString("Treasure Type"));
    QCOMPARE(child<QCheckBox>(w, "gold")->text(), QString("Gold"));
    QCOMPARE(child<QCheckBox>(w, "events")->text(), QString("None (event)"));
    QCOMPARE(child<QCheckBox>(w, "item")->text(), QString("Item"));
    QCOMPARE(child<QLabel>(w, "Label1")->text(), QString("X Position"));
    QCOMPARE(child<QLabel>(w, "Label2")->text(), QString("Y Position"));
    const Bytes record = s.image.bytesAt(kBase, 4);
    QCOMPARE(child<QLineEdit>(w, "c1")->text(), QString::number(record[0]));
    QCOMPARE(child<QLineEdit>(w, "c2")->text(), QString::number(record[1]));
    // the placeholders take no input and show in the place of a hidden value control, never over a shown one
    for (const auto& [name, control] : {std::pair{"Combo1", "c3"}, std::pair{"Text4", "Text1"}}) {
        QWidget* placeholder = child<QWidget>(w, name);
        QVERIFY(!placeholder->isEnabled());
        QCOMPARE(placeholder->isVisibleTo(w), !child<QWidget>(w, control)->isVisibleTo(w));
    }
    QCOMPARE(child<QWidget>(w, "Combo1")->geometry(), child<QWidget>(w, "c3")->geometry());
    QCOMPARE(child<QWidget>(w, "Text4")->geometry(), child<QWidget>(w, "Text1")->geometry());
    QVERIFY(s.platform.messages.isEmpty());
}

void ChestsTest::itemDropDownsListEveryItem()
{
    Session s;
    QWidget* w = s.openEditor(8, "Chests");
    const QStringList items = labelList("items");
    QCOMPARE(items.size(), 260);
    for (const char* name : {"c3", "Combo1"}) {
        auto* combo = child<QComboBox>(w, name);
        QCOMPARE(combo->count(), 260);
        for (int i = 0; i < 260; ++i)
            QCOMPARE(combo->itemText(i), items[i]);
    }
    QVERIFY(child<QComboBox>(w, "c3")->isEditable());
}

void ChestsTest::readsTheChestType_data()
{
    QTest::addColumn<Bytes>("record");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("itemEntry");  // c3's entry for an item chest
    QTest::newRow("gold 300") << Bytes{0x0C, 0x1A, 0x2C, 0x81} << "gold" << "300" << -1;
    QTest::newRow("item 95") << Bytes{0x05, 0x07, 0x5F, 0x00} << "item" << "95" << 95;
    QTest::newRow("event") << Bytes{0x00, 0x00, 0x03, 0x40} << "events" << "16387" << -1;
    QTest::newRow("C005: gold 16389") << Bytes{0x01, 0x02, 0x05, 0xC0} << "gold" << "16389" << -1;
    QTest::newRow("item 261, past the list") << Bytes{0x01, 0x02, 0x05, 0x01} << "item" << "261" << -1;
    QTest::newRow("item 95 with bits 9..13") << Bytes{0x01, 0x02, 0x5F, 0x26} << "item" << "95" << 95;
}

void ChestsTest::readsTheChestType()
{
    QFETCH(Bytes, record);
    QFETCH(QString, type);
    QFETCH(QString, value);
    QFETCH(int, itemEntry);
    Session s;
    QWidget* w = openOn(s, record);
    QCOMPARE(child<QLineEdit>(w, "c1")->text(), QString::number(record[0]));
    QCOMPARE(child<QLineEdit>(w, "c2")->text(), QString::number(record[1]));
    for (const char* box : {"gold", "events", "item"})
        QCOMPARE(child<QCheckBox>(w, box)->isChecked(), type == box);
    auto* text1 = child<QLineEdit>(w, "Text1");
    auto* c3 = child<QComboBox>(w, "c3");
    QCOMPARE(text1->text(), value);  // hidden or not, the value box holds the value
    QCOMPARE(text1->isVisibleTo(w), type == "gold");
    QCOMPARE(c3->isVisibleTo(w), type == "item");
    if (type == "item") {
        QCOMPARE(c3->currentIndex(), itemEntry);
        QCOMPARE(c3->currentText(), itemEntry >= 0 ? labelList("items")[itemEntry] : value);
    }
    // the grey placeholders show wherever a value control is hidden, and only there
    QCOMPARE(child<QWidget>(w, "Combo1")->isVisibleTo(w), type != "item");
    QCOMPARE(child<QWidget>(w, "Text4")->isVisibleTo(w), type != "gold");

    QCOMPARE(savedRecord(s, w), record);
    QVERIFY(s.platform.messages.isEmpty());
}

void ChestsTest::savingUntouchedChangesNothing()
{
    Session s;  // the sample holds every type, item chests with bits 9..13 among them
    QWidget* w = s.openEditor(8, "Chests");
    auto* list = child<QListWidget>(w, "List1");
    const Bytes before = s.image.bytes();
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        clickSave(w);
    }
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

void ChestsTest::pickedItemIsSaved()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x00});
    pickEntry(child<QComboBox>(w, "c3"), 200);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString("200"));
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0xC8, 0x00}));
}

void ChestsTest::bothTypeFlagsGiveAGoldChest()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x00, 0x80});
    setType(w, true, true, false);
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0x00, 0xC0}));
    clickRow(child<QListWidget>(w, "List1"), kRow + 1);
    clickRow(child<QListWidget>(w, "List1"), kRow);
    QVERIFY(child<QCheckBox>(w, "gold")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString("16384"));
}

void ChestsTest::itemChestKeepsItsUnshownBits()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x26});
    pickEntry(child<QComboBox>(w, "c3"), 12);
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0x0C, 0x26}));
    pickEntry(child<QComboBox>(w, "c3"), 259);
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0x03, 0x27}));
}

void ChestsTest::typeChangeDropsItemBits()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x26});
    setType(w, true, false, false);
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0x5F, 0x80}));
    // and back to an item chest: the bits went with the item chest that held them
    setType(w, false, false, true);
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0x5F, 0x00}));
}

void ChestsTest::locationFieldsKeepInRange()
{
    Session s;
    QWidget* w = openOn(s, {0x0C, 0x1A, 0x2C, 0x81});
    auto* c1 = child<QLineEdit>(w, "c1");
    typeInto(c1, "300");
    QCOMPARE(c1->text(), QString("255"));
    typeInto(c1, "");
    QCOMPARE(c1->text(), QString("0"));
    typeInto(child<QLineEdit>(w, "c2"), "77");
    QCOMPARE(savedRecord(s, w), (Bytes{0x00, 77, 0x2C, 0x81}));
    typeInto(c1, "-1");
    const Bytes before = s.image.bytes();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("X Position"));
}

void ChestsTest::valueMustFitTheSavedType_data()
{
    QTest::addColumn<bool>("gold");
    QTest::addColumn<bool>("events");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");  // empty: saved
    QTest::addColumn<Bytes>("contents");
    QTest::newRow("gold 32767") << true << false << "32767" << "" << Bytes{0xFF, 0xFF};
    QTest::newRow("gold 0") << true << false << "0" << "" << Bytes{0x00, 0x80};
    QTest::newRow("gold 32768") << true << false << "32768" << "The gold amount" << Bytes{};
    QTest::newRow("gold 40000") << true << false << "40000" << "The gold amount" << Bytes{};
    QTest::newRow("gold -1") << true << false << "-1" << "The gold amount" << Bytes{};
    QTest::newRow("gold letters") << true << false << "lots" << "The gold amount" << Bytes{};
    QTest::newRow("gold emptied") << true << false << "" << "The gold amount" << Bytes{};
    QTest::newRow("item 511") << false << false << "511" << "" << Bytes{0xFF, 0x01};
    QTest::newRow("item 512") << false << false << "512" << "The item number" << Bytes{};
    QTest::newRow("item 600") << false << false << "600" << "The item number" << Bytes{};
    QTest::newRow("event 16387") << false << true << "16387" << "" << Bytes{0x03, 0x40};
    QTest::newRow("event 3") << false << true << "3" << "" << Bytes{0x03, 0x40};
    QTest::newRow("event 32768") << false << true << "32768" << "The event word" << Bytes{};
}

void ChestsTest::valueMustFitTheSavedType()
{
    QFETCH(bool, gold);
    QFETCH(bool, events);
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    QFETCH(Bytes, contents);
    Session s;
    // a gold chest shows the value box, so any value can be typed and any type chosen
    QWidget* w = openOn(s, {0x0C, 0x1A, 0x2C, 0x81});
    typeInto(child<QLineEdit>(w, "Text1"), typed);
    setType(w, gold, events, !gold && !events);
    const Bytes before = s.image.bytes();
    clickSave(w);
    if (reason.isEmpty()) {
        QVERIFY(s.platform.messages.isEmpty());
        QCOMPARE(s.image.bytesAt(kPosition, 4), (Bytes{0x0C, 0x1A, contents[0], contents[1]}));
        QVERIFY(child<QLabel>(w, "bar")->text().startsWith("Saved"));
    } else {
        QCOMPARE(s.image.bytes(), before);
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].contains(reason), qPrintable(s.platform.messages[0]));
        QVERIFY(child<QLabel>(w, "bar")->text().startsWith("Not saved: "));
    }
}

void ChestsTest::typedItemTakesEffectAtSave_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("entry");  // c3's entry afterwards, -1 for none
    QTest::newRow("a number of the list") << "12" << 12 << 12;
    QTest::newRow("a number past the list") << "300" << 300 << -1;
    QTest::newRow("hexadecimal") << "&H10" << 16 << 16;
    QTest::newRow("a label") << labelList("items")[150] << 150 << 150;
}

void ChestsTest::typedItemTakesEffectAtSave()
{
    QFETCH(QString, typed);
    QFETCH(int, item);
    QFETCH(int, entry);
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x00});
    auto* c3 = child<QComboBox>(w, "c3");
    typeIntoCombo(c3, typed);
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, std::uint8_t(item & 0xFF), std::uint8_t(item >> 8)}));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString::number(item));
    QCOMPARE(c3->currentIndex(), entry);
    QVERIFY(s.platform.messages.isEmpty());
}

void ChestsTest::typedItemThatIsNoItemRefusesTheSave()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x00});
    const Bytes before = s.image.bytes();
    for (const QString typed : {"xyz", "512", ""}) {
        typeIntoCombo(child<QComboBox>(w, "c3"), typed);
        clickSave(w);
        QCOMPARE(s.image.bytes(), before);
    }
    QCOMPARE(s.platform.messages.size(), 3);
    QVERIFY(s.platform.messages[0].contains("If Chest holds an Item"));
    QVERIFY(s.platform.messages[0].contains("xyz"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString("95"));
}

void ChestsTest::sharedItemLabelKeepsTheItemShown()
{
    // items 27..30 share the label "{Bow}", which also starts item 17's label
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 28, 0x00});
    auto* c3 = child<QComboBox>(w, "c3");
    QCOMPARE(c3->currentIndex(), 28);
    typeIntoCombo(c3, "{Bow}");
    QCOMPARE(c3->currentText(), QString("{Bow}"));
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 28, 0x00}));
    QCOMPARE(c3->currentIndex(), 28);
    QVERIFY(s.platform.messages.isEmpty());
}

void ChestsTest::negativeTypedItemBecomesZero()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x00});
    auto* c3 = child<QComboBox>(w, "c3");
    typeIntoCombo(c3, "-3");
    QCOMPARE(c3->currentText(), QString("0"));
    typeIntoCombo(c3, "1000");
    QCOMPARE(c3->currentText(), QString("1000"));  // no upper limit while typing
    typeIntoCombo(c3, "-3");
    QCOMPARE(savedRecord(s, w), (Bytes{0x05, 0x07, 0x00, 0x00}));
}

void ChestsTest::typingIntoAHiddenDropDownIsDropped()
{
    Session s;
    s.image.poke(kBase + 4 * (kRow + 1), {0x0C, 0x1A, 0x2C, 0x81});
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x00});
    typeIntoCombo(child<QComboBox>(w, "c3"), "xyz");
    // another chest, a gold one: the drop-down is hidden and its typing left behind
    clickRow(child<QListWidget>(w, "List1"), kRow + 1);
    const Bytes before = s.image.bytes();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
    // and back on the item chest the drop-down shows its item again
    clickRow(child<QListWidget>(w, "List1"), kRow);
    QCOMPARE(child<QComboBox>(w, "c3")->currentIndex(), 95);
}

void ChestsTest::statusLines()
{
    Session s;
    QWidget* w = openOn(s, {0x05, 0x07, 0x5F, 0x00});
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Chest Number 5"));
    clickSave(w);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Saved -- Chest Number : 5 -- to ROM."));
}

QTEST_MAIN(ChestsTest)
#include "test_chests.moc"
