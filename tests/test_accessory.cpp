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

constexpr int kEffectBase = 0xC072C;
constexpr int kEquipBase = 0xC0C1C;

struct Box {
    const char* name;
    bool inEquip;  // else in the effect record
    int offset;
    int bit;
    const char* caption;
};

const Box kBoxes[] = {
    {"b1", false, 0, 0, "Has effect on Gil"},   {"b2", false, 0, 1, "Unknown 1"},
    {"b3", false, 0, 2, "Unknown 2"},           {"b4", false, 0, 3, "Unknown 3"},
    {"b5", false, 0, 4, "Unknown 4"},           {"b6", false, 0, 5, "Has effect on MP"},
    {"b7", false, 0, 6, "Has effect on Counter %"}, {"b8", false, 0, 7, "Unknown 5"},
    {"b9", false, 1, 0, "Unknown 6"},           {"b10", false, 1, 1, "Unknown 7"},
    {"b11", false, 1, 2, "Unknown 8"},          {"b12", false, 1, 3, "Unknown 9"},
    {"b13", false, 1, 4, "Has effect on HP"},   {"b14", false, 1, 5, "Unknown 10"},
    {"b15", false, 1, 6, "Has effect on stats"}, {"b16", false, 1, 7, "Has effect in battle"},
    {"sb1", true, 0, 0, "Unknown 1"},           {"sb2", true, 0, 1, "Use in menu"},
    {"sb3", true, 0, 2, "Cannot sell"},         {"sb4", true, 0, 3, "Key Item"},
    {"sb5", true, 0, 4, "Not carried over"},    {"sb6", true, 0, 5, "Unknown 2"},
    {"sb7", true, 0, 6, "Unknown 3"},           {"sb8", true, 0, 7, "Use in battle"},
    {"Ignored", true, 3, 0, "Ignored"},         {"pc7", true, 3, 1, nullptr},
    {"pc6", true, 3, 2, nullptr},               {"pc5", true, 3, 3, nullptr},
    {"pc4", true, 3, 4, nullptr},               {"pc3", true, 3, 5, nullptr},
    {"pc2", true, 3, 6, nullptr},               {"pc1", true, 3, 7, nullptr},
};


// Both records of accessory `row`, effect then equip.
Bytes recordsOf(const SampleImage& image, int row)
{
    Bytes both = image.bytesAt(kEffectBase + 4 * row, 4);
    const Bytes equip = image.bytesAt(kEquipBase + 4 * row, 4);
    both.insert(both.end(), equip.begin(), equip.end());
    return both;
}

}  // namespace

class AccessoryTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithoutSelection();
    void captionsAndLabels();
    void readsBothRecords();
    void eachBoxIsItsBit_data();
    void eachBoxIsItsBit();
    void priceIsShownUnsigned_data();
    void priceIsShownUnsigned();
    void savingUntouchedChangesNothing();
    void savesBothRecordsInPlace();
    void refusedFieldWritesNeitherRecord_data();
    void refusedFieldWritesNeitherRecord();
    void saveWithoutSelectionWritesNothing();
    void shortFileWritesNeitherRecord();
};

void AccessoryTest::opensWithoutSelection()
{
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("Accessory "));
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), 40);
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Label1"));
    for (const char* name : {"TypeOfEffect", "Price", "ValueOfEffect"})
        QCOMPARE(child<QLineEdit>(w, name)->text(), QString("0"));
    for (const Box& box : kBoxes)
        QVERIFY(!child<QCheckBox>(w, box.name)->isChecked());
    // the list taking the keyboard focus moves its cursor but selects nothing
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &focusIn);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Label1"));
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QCOMPARE(s.platform.messages.size(), 1);
}

void AccessoryTest::captionsAndLabels()
{
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    auto* list = child<QListWidget>(w, "List1");
    const QStringList items = labelList("items");
    QCOMPARE(list->item(0)->text(), QString("{Null}"));
    for (int i = 0; i < 40; ++i)
        QCOMPARE(list->item(i)->text(), items[148 + i]);
    QVERIFY(list->item(39)->text().startsWith("{Acc} "));
    const QStringList characters = labelList("characters");
    for (const Box& box : kBoxes) {
        const QString caption = box.caption ? QString(box.caption) : characters[QString(box.name).mid(2).toInt() - 1];
        QCOMPARE(child<QCheckBox>(w, box.name)->text(), caption);
    }
    QCOMPARE(child<QGroupBox>(w, "Frame4")->title(), QString("Bit Field"));
    QCOMPARE(child<QGroupBox>(w, "Frame5")->title(), QString("Secondary Bit Field"));
    QCOMPARE(child<QGroupBox>(w, "Frame3")->title(), QString("Equipped by "));
    QCOMPARE(child<QLabel>(w, "Label1")->text(), QString("Type of Effect"));
    QCOMPARE(child<QLabel>(w, "Label2")->text(), QString("Accessory Price"));
    QCOMPARE(child<QLabel>(w, "Label3")->text(), QString("Value of Effect"));
}

void AccessoryTest::readsBothRecords()
{
    Session s;
    s.image.poke(0xC0730, {0x01, 0x80, 17, 250});
    s.image.poke(0xC0C20, {0x00, 0x40, 0x9C, 0x80});
    QWidget* w = s.openEditor(5, "Accessory");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, 1);
    QCOMPARE(child<QLabel>(w, "bar")->text(), "Now editing " + list->item(1)->text() + " - Item # 1");
    for (const Box& box : kBoxes) {
        const bool expected = QString(box.name) == "b1" || QString(box.name) == "b16" || QString(box.name) == "pc1";
        QVERIFY2(child<QCheckBox>(w, box.name)->isChecked() == expected, box.name);
    }
    QCOMPARE(child<QLineEdit>(w, "TypeOfEffect")->text(), QString("17"));
    QCOMPARE(child<QLineEdit>(w, "ValueOfEffect")->text(), QString("250"));
    QCOMPARE(child<QLineEdit>(w, "Price")->text(), QString("40000"));

    s.image.poke(0xC0C20 + 12, {0, 0, 0, 0x01});
    clickRow(list, 4);
    QVERIFY(child<QCheckBox>(w, "Ignored")->isChecked());
    QVERIFY(!child<QCheckBox>(w, "pc7")->isChecked());
    QVERIFY(!child<QCheckBox>(w, "pc1")->isChecked());
}

void AccessoryTest::eachBoxIsItsBit_data()
{
    QTest::addColumn<int>("box");
    for (int i = 0; i < int(std::size(kBoxes)); ++i)
        QTest::newRow(kBoxes[i].name) << i;
}

void AccessoryTest::eachBoxIsItsBit()
{
    QFETCH(int, box);
    const Box& b = kBoxes[box];
    const int row = 9;
    const int effect = kEffectBase + 4 * row;
    const int equip = kEquipBase + 4 * row;
    const int position = (b.inEquip ? equip : effect) + b.offset;
    Session s;
    s.image.poke(effect, {0, 0, 0, 0});
    s.image.poke(equip, {0, 0, 0, 0});
    s.image.poke(position, {std::uint8_t(1u << b.bit)});
    QWidget* w = s.openEditor(5, "Accessory");
    clickRow(child<QListWidget>(w, "List1"), row);
    for (const Box& other : kBoxes)
        QCOMPARE(child<QCheckBox>(w, other.name)->isChecked(), &other == &b);

    // clearing the box clears exactly its bit
    const Bytes before = s.image.bytes();
    child<QCheckBox>(w, b.name)->click();
    clickSave(w);
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(position, 1));
    QCOMPARE(int(s.image.bytesAt(position, 1)[0]), 0);
    // and checking it again sets it again
    child<QCheckBox>(w, b.name)->click();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
}

void AccessoryTest::priceIsShownUnsigned_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("65535") << "65535" << 0xFF << 0xFF;
    QTest::newRow("32768") << "32768" << 0x00 << 0x80;
    QTest::newRow("32767") << "32767" << 0xFF << 0x7F;
    QTest::newRow("0") << "0" << 0x00 << 0x00;
}

void AccessoryTest::priceIsShownUnsigned()
{
    QFETCH(QString, typed);
    QFETCH(int, low);
    QFETCH(int, high);
    const int row = 2;
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, row);
    typeInto(child<QLineEdit>(w, "Price"), typed);
    clickSave(w);
    QCOMPARE(s.image.bytesAt(kEquipBase + 4 * row + 1, 2), (Bytes{std::uint8_t(low), std::uint8_t(high)}));
    QCOMPARE(child<QLabel>(w, "bar")->text(), "Saved " + list->item(row)->text() + " to ROM!");
    // read back as typed
    clickRow(list, row + 1);
    clickRow(list, row);
    QCOMPARE(child<QLineEdit>(w, "Price")->text(), typed);
    QVERIFY(s.platform.messages.isEmpty());
}

void AccessoryTest::savingUntouchedChangesNothing()
{
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    auto* list = child<QListWidget>(w, "List1");
    const Bytes before = s.image.bytes();
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        clickSave(w);
    }
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

void AccessoryTest::savesBothRecordsInPlace()
{
    const int row = 0;  // its equip record follows the item secondary table's last byte
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    clickRow(child<QListWidget>(w, "List1"), row);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "TypeOfEffect"), "3");
    typeInto(child<QLineEdit>(w, "ValueOfEffect"), "200");
    typeInto(child<QLineEdit>(w, "Price"), "1000");
    clickSave(w);
    const Bytes after = s.image.bytes();
    for (std::size_t offset : changedOffsets(before, after))
        QVERIFY((offset >= kEffectBase + 2 && offset < kEffectBase + 4) || (offset >= kEquipBase + 1 && offset < kEquipBase + 3));
    QCOMPARE(s.image.bytesAt(kEffectBase + 2, 2), (Bytes{3, 200}));
    QCOMPARE(s.image.bytesAt(kEquipBase + 1, 2), (Bytes{0xE8, 0x03}));
    QCOMPARE(after[kEquipBase - 1], before[kEquipBase - 1]);
}

void AccessoryTest::refusedFieldWritesNeitherRecord_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");
    const QString conversion = QString::fromUtf8(kWordConversionError.data(), qsizetype(kWordConversionError.size()));
    QTest::newRow("price 70000") << "Price" << "70000" << conversion;
    QTest::newRow("price -1") << "Price" << "-1" << conversion;
    QTest::newRow("price empty") << "Price" << "" << conversion;
    QTest::newRow("price letters") << "Price" << "lots" << conversion;
    QTest::newRow("type 256") << "TypeOfEffect" << "256" << "Type of Effect";
    QTest::newRow("type -1") << "TypeOfEffect" << "-1" << "Type of Effect";
    QTest::newRow("type empty") << "TypeOfEffect" << "" << "Type of Effect";
    QTest::newRow("value letters") << "ValueOfEffect" << "x1" << "Value of Effect";
}

void AccessoryTest::refusedFieldWritesNeitherRecord()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    clickRow(child<QListWidget>(w, "List1"), 6);
    const Bytes before = s.image.bytes();
    // valid changes in both records, then one field that does not convert
    child<QCheckBox>(w, "b3")->click();
    child<QCheckBox>(w, "pc4")->click();
    typeInto(child<QLineEdit>(w, field), typed);
    QCOMPARE(child<QLineEdit>(w, field)->text(), typed);  // no change rule: kept as typed
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(reason));
    QVERIFY(!child<QLabel>(w, "bar")->text().startsWith("Saved"));
}

void AccessoryTest::saveWithoutSelectionWritesNothing()
{
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    const Bytes before = s.image.bytes();
    child<QCheckBox>(w, "b1")->click();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(child<QLabel>(w, "bar")->text(),
             QString("Not saved: no accessory is shown. Select an accessory that can be read first."));
}

void AccessoryTest::shortFileWritesNeitherRecord()
{
    Session s;
    QWidget* w = s.openEditor(5, "Accessory");
    clickRow(child<QListWidget>(w, "List1"), 39);
    const Bytes records = recordsOf(s.image, 39);
    // the image shrinks under the editor: the effect record still fits, the equip record does not
    QFile::resize(s.image.path(), kEquipBase + 4 * 39 + 2);
    child<QCheckBox>(w, "b1")->click();
    clickSave(w);
    QCOMPARE(s.image.bytesAt(kEffectBase + 4 * 39, 4), Bytes(records.begin(), records.begin() + 4));
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(!child<QLabel>(w, "bar")->text().startsWith("Saved"));
}

QTEST_MAIN(AccessoryTest)
#include "test_accessory.moc"
