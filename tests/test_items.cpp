#include "tests/support/test_support.h"

#include "editors/common/labels.h"
#include "rom/numeric_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kItem2Base = 0x0C08A4;
constexpr int kConsumableBase = 0x0C0CBC;

// the item flags, bit 0 first
const char* const kFlags[] = {"Unk1", "UseMenuCheck", "CannotSell", "KeyItem", "NotCarriedOverCheck", "Unk2", "Unk3", "UseInBattle"};
const char* const kFlagCaptions[] = {"Unknown 1", "Use in Menu", "Cannot Sell", "Key Item", "Not Carried Over", "Unknown 2", "Unknown 3", "Use in Battle"};
// the equip flags, bit 0 first: PC 1 is the highest bit
const char* const kEquip[] = {"Ignored", "pc7", "pc6", "pc5", "pc4", "pc3", "pc2", "pc1"};

const QString kConversion = QString::fromUtf8(kWordConversionError.data(), qsizetype(kWordConversionError.size()));


std::uint8_t boxesByte(QWidget* w, const char* const (&names)[8])
{
    std::uint8_t byte = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (child<QCheckBox>(w, names[bit])->isChecked())
            byte |= std::uint8_t(1u << bit);
    return byte;
}

}  // namespace

class ItemsTest : public QObject {
    Q_OBJECT
private slots:
    // item secondary data (Item2)
    void item2OpensOnFirstEntry();
    void item2ShowsTheRecord();
    void item2EquipBoxes_data();
    void item2EquipBoxes();
    void item2Price_data();
    void item2Price();
    void item2FieldsKeepInRange();
    void item2RefusedFieldWritesNothing_data();
    void item2RefusedFieldWritesNothing();
    // consumables and key items
    void consumablesOpenWithTheHint();
    void consumablesShowTheRecord();
    void consumablesPrice_data();
    void consumablesPrice();
    void consumablesRefusedPriceWritesNothing();
    void consumablesExitClosesTheWindow();
    // both
    void flagBoxesAreTheirBits_data();
    void flagBoxesAreTheirBits();
    void savingUntouchedChangesNothing_data();
    void savingUntouchedChangesNothing();
};

void ItemsTest::item2OpensOnFirstEntry()
{
    Session s;
    QWidget* w = s.openEditor(6, "Item2");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Item Secondary"));
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), 148);
    const QStringList items = labelList("items");
    for (int i = 0; i < 148; ++i)
        QCOMPARE(list->item(i)->text(), items[i]);
    QCOMPARE(list->item(90)->text(), QString("{Null}"));
    QVERIFY(list->item(91)->text().startsWith("{Armor} "));
    QVERIFY(list->item(147)->text().startsWith("{Helm} "));
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Now editing {Null} - Item # 0"));
    QCOMPARE(child<QGroupBox>(w, "Frame2")->title(), QString("Bit Field"));
    QCOMPARE(child<QGroupBox>(w, "Frame3")->title(), QString("This Item can be equipped by "));
    QCOMPARE(child<QLabel>(w, "Label1")->text(), QString("Item Price"));
    QCOMPARE(child<QLabel>(w, "Label3")->text(), QString("Stat Increase"));
    QCOMPARE(child<QLabel>(w, "Label2")->text(), QString("Special Protective Ability"));
    const QStringList characters = labelList("characters");
    QCOMPARE(child<QCheckBox>(w, "Ignored")->text(), QString("Ignored"));
    for (int pc = 1; pc <= 7; ++pc)
        QCOMPARE(child<QCheckBox>(w, QStringLiteral("pc%1").arg(pc))->text(), characters[pc - 1]);
    // entry 0 is the record at the table base
    const Bytes record = s.image.bytesAt(kItem2Base, 6);
    QCOMPARE(boxesByte(w, kFlags), record[0]);
    QCOMPARE(boxesByte(w, kEquip), record[3]);
    QCOMPARE(child<QLineEdit>(w, "Text3")->text(), QString::number(record[4]));
    QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QString::number(record[5]));
    QVERIFY(s.platform.messages.isEmpty());
}

void ItemsTest::item2ShowsTheRecord()
{
    const int row = 12;
    const int position = kItem2Base + 6 * row;
    Session s;
    s.image.poke(position, {0x02, 0xE8, 0x03, 0xA0, 0x05, 0x00});
    QWidget* w = s.openEditor(6, "Item2");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, row);
    QCOMPARE(child<QLabel>(w, "bar")->text(), "Now editing " + list->item(row)->text() + " - Item # 12");
    QCOMPARE(boxesByte(w, kFlags), std::uint8_t(0x02));
    QVERIFY(child<QCheckBox>(w, "UseMenuCheck")->isChecked());
    QVERIFY(child<QCheckBox>(w, "pc1")->isChecked());
    QVERIFY(child<QCheckBox>(w, "pc3")->isChecked());
    QCOMPARE(boxesByte(w, kEquip), std::uint8_t(0xA0));
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QString("1000"));
    QCOMPARE(child<QLineEdit>(w, "Text3")->text(), QString("5"));
    QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QString("0"));
    const Bytes before = s.image.bytes();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(child<QLabel>(w, "bar")->text(), "Saved " + list->item(row)->text() + " to ROM!");
}

void ItemsTest::item2EquipBoxes_data()
{
    QTest::addColumn<int>("equip");
    QTest::newRow("01: Ignored only") << 0x01;
    QTest::newRow("FE: every character") << 0xFE;
    QTest::newRow("80: PC 1") << 0x80;
    QTest::newRow("02: PC 7") << 0x02;
}

void ItemsTest::item2EquipBoxes()
{
    QFETCH(int, equip);
    const int row = 100;
    Session s;
    s.image.poke(kItem2Base + 6 * row + 3, {std::uint8_t(equip)});
    QWidget* w = s.openEditor(6, "Item2");
    clickRow(child<QListWidget>(w, "List1"), row);
    QCOMPARE(int(boxesByte(w, kEquip)), equip);
    QCOMPARE(child<QCheckBox>(w, "Ignored")->isChecked(), (equip & 1) != 0);
}

void ItemsTest::item2Price_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("65535") << "65535" << 0xFF << 0xFF;
    QTest::newRow("32768") << "32768" << 0x00 << 0x80;
    QTest::newRow("255") << "255" << 0xFF << 0x00;
}

void ItemsTest::item2Price()
{
    QFETCH(QString, typed);
    QFETCH(int, low);
    QFETCH(int, high);
    const int row = 147;  // the last record: the accessory equip table follows
    const int position = kItem2Base + 6 * row;
    Session s;
    QWidget* w = s.openEditor(6, "Item2");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, row);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text2"), typed);
    clickSave(w);
    for (std::size_t offset : changedOffsets(before, s.image.bytes()))
        QVERIFY(offset == std::size_t(position + 1) || offset == std::size_t(position + 2));
    QCOMPARE(s.image.bytesAt(position + 1, 2), (Bytes{std::uint8_t(low), std::uint8_t(high)}));
    clickRow(list, 0);
    clickRow(list, row);
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), typed);
}

void ItemsTest::item2FieldsKeepInRange()
{
    Session s;
    QWidget* w = s.openEditor(6, "Item2");
    typeInto(child<QLineEdit>(w, "Text3"), "300");
    QCOMPARE(child<QLineEdit>(w, "Text3")->text(), QString("255"));
    typeInto(child<QLineEdit>(w, "Text4"), "");
    QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QString("0"));
    typeInto(child<QLineEdit>(w, "Text2"), "");
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QString("0"));
    typeInto(child<QLineEdit>(w, "Text2"), "70000");
    QCOMPARE(child<QLineEdit>(w, "Text2")->text(), QString("70000"));
}

void ItemsTest::item2RefusedFieldWritesNothing_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");
    QTest::newRow("price 65536") << "Text2" << "65536" << kConversion;
    QTest::newRow("price -1") << "Text2" << "-1" << kConversion;
    QTest::newRow("price letters") << "Text2" << "abc" << kConversion;
    QTest::newRow("stat increase -2") << "Text3" << "-2" << "Stat Increase";
    QTest::newRow("protective ability letters") << "Text4" << "x" << "Special Protective Ability";
}

void ItemsTest::item2RefusedFieldWritesNothing()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    Session s;
    QWidget* w = s.openEditor(6, "Item2");
    clickRow(child<QListWidget>(w, "List1"), 3);
    const Bytes before = s.image.bytes();
    child<QCheckBox>(w, "KeyItem")->click();
    typeInto(child<QLineEdit>(w, field), typed);
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(reason));
    QVERIFY(!child<QLabel>(w, "bar")->text().startsWith("Saved"));
}

void ItemsTest::consumablesOpenWithTheHint()
{
    Session s;
    QWidget* w = s.openEditor(7, "KeyItemandConsumables");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Key and Consumable Items"));
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), 72);
    QCOMPARE(list->currentRow(), 0);
    const QStringList items = labelList("items");
    for (int i = 0; i < 72; ++i)
        QCOMPARE(list->item(i)->text(), items[188 + i]);
    QCOMPARE(list->item(0)->text(), QString("{Null}"));
    QVERIFY(list->item(1)->text().startsWith("{Item} "));
    QVERIFY(list->item(43)->text().startsWith("{Item} "));
    QCOMPARE(list->item(44)->text(), QString("{Null}"));
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Click the Grey description boxes for help with that item."));
    QCOMPARE(child<QGroupBox>(w, "Frame3")->title(), QString("Bit Field"));
    QCOMPARE(child<QGroupBox>(w, "Frame1")->title(), QString("Item Price"));
    QCOMPARE(child<QPushButton>(w, "Command3")->text(), QString("Exit"));
    const Bytes record = s.image.bytesAt(kConsumableBase, 3);
    QCOMPARE(boxesByte(w, kFlags), record[0]);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString::number(record[1] | (record[2] << 8)));

    clickRow(list, 5);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Key and Consumable Item Number 5"));
    clickRow(list, 0);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Key and Consumable Item Number 0"));
}

void ItemsTest::consumablesShowTheRecord()
{
    const int row = 30;
    const int position = kConsumableBase + 3 * row;
    Session s;
    s.image.poke(position, {0x0A, 0xFF, 0xFF});
    QWidget* w = s.openEditor(7, "KeyItemandConsumables");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, row);
    QCOMPARE(boxesByte(w, kFlags), std::uint8_t(0x0A));
    QVERIFY(child<QCheckBox>(w, "UseMenuCheck")->isChecked());
    QVERIFY(child<QCheckBox>(w, "KeyItem")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString("65535"));
    const Bytes before = s.image.bytes();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(child<QLabel>(w, "bar")->text(), "Saved -- " + list->item(row)->text() + " -- to ROM.");
}

void ItemsTest::consumablesPrice_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("32768") << "32768" << 0x00 << 0x80;
    QTest::newRow("255") << "255" << 0xFF << 0x00;
    QTest::newRow("emptied") << "" << 0x00 << 0x00;
}

void ItemsTest::consumablesPrice()
{
    QFETCH(QString, typed);
    QFETCH(int, low);
    QFETCH(int, high);
    const int row = 71;  // the last record
    const int position = kConsumableBase + 3 * row;
    Session s;
    s.image.poke(position, {0x00, 0x34, 0x12});
    QWidget* w = s.openEditor(7, "KeyItemandConsumables");
    clickRow(child<QListWidget>(w, "List1"), row);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text1"), typed);
    if (typed.isEmpty())
        QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString("0"));
    clickSave(w);
    for (std::size_t offset : changedOffsets(before, s.image.bytes()))
        QVERIFY(offset == std::size_t(position + 1) || offset == std::size_t(position + 2));
    QCOMPARE(s.image.bytesAt(position + 1, 2), (Bytes{std::uint8_t(low), std::uint8_t(high)}));
    QVERIFY(s.platform.messages.isEmpty());
}

void ItemsTest::consumablesRefusedPriceWritesNothing()
{
    Session s;
    QWidget* w = s.openEditor(7, "KeyItemandConsumables");
    const Bytes before = s.image.bytes();
    child<QCheckBox>(w, "UseInBattle")->click();
    typeInto(child<QLineEdit>(w, "Text1"), "70000");
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString("70000"));  // kept as typed until Save
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(kConversion));
    typeInto(child<QLineEdit>(w, "Text1"), "65536");
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 2);
}

void ItemsTest::consumablesExitClosesTheWindow()
{
    Session s;
    QWidget* w = s.openEditor(7, "KeyItemandConsumables");
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text1"), "12");
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QTRY_VERIFY(!s.shell().windows().find("KeyItemandConsumables"));
    QCOMPARE(s.image.bytes(), before);
    // reopening starts afresh
    QWidget* again = s.openEditor(7, "KeyItemandConsumables");
    QVERIFY(again);
    QCOMPARE(child<QLabel>(again, "bar")->text(), QString("Click the Grey description boxes for help with that item."));
}

void ItemsTest::flagBoxesAreTheirBits_data()
{
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("bit");
    for (int bit = 0; bit < 8; ++bit) {
        QTest::addRow("Item2 %s", kFlags[bit]) << 6 << "Item2" << kItem2Base + 6 * 20 << bit;
        QTest::addRow("consumables %s", kFlags[bit]) << 7 << "KeyItemandConsumables" << kConsumableBase + 3 * 20 << bit;
    }
}

void ItemsTest::flagBoxesAreTheirBits()
{
    QFETCH(int, listIndex);
    QFETCH(QString, window);
    QFETCH(int, position);
    QFETCH(int, bit);
    Session s;
    s.image.poke(position, {std::uint8_t(1u << bit)});
    QWidget* w = s.openEditor(listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), 20);
    for (int other = 0; other < 8; ++other)
        QCOMPARE(child<QCheckBox>(w, kFlags[other])->isChecked(), other == bit);
    QCOMPARE(child<QCheckBox>(w, kFlags[bit])->text(), QString(kFlagCaptions[bit]));
    child<QCheckBox>(w, kFlags[bit])->click();
    clickSave(w);
    QCOMPARE(int(s.image.bytesAt(position, 1)[0]), 0);
}

void ItemsTest::savingUntouchedChangesNothing_data()
{
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("window");
    QTest::newRow("Item2") << 6 << "Item2";
    QTest::newRow("consumables") << 7 << "KeyItemandConsumables";
}

void ItemsTest::savingUntouchedChangesNothing()
{
    QFETCH(int, listIndex);
    QFETCH(QString, window);
    Session s;
    QWidget* w = s.openEditor(listIndex, window);
    auto* list = child<QListWidget>(w, "List1");
    const Bytes before = s.image.bytes();
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        clickSave(w);
    }
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

QTEST_MAIN(ItemsTest)
#include "test_items.moc"
