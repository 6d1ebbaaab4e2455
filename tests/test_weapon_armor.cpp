#include "tests/support/combo_input.h"
#include "tests/support/test_support.h"

#include "editors/common/labels.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kWeaponBase = 0xC0462;
constexpr int kArmorBase = 0xC067E;

struct Effect {
    const char* label;
    int value;
};

// the status effects as the system names them
const Effect kWeaponEffects[] = {
    {"None", 0}, {"Damage can vary", 2}, {"1.5x hit on Mg enemies", 12}, {"2x hit for Mg enemies", 13},
    {"Attack up when ally falls", 22}, {"Cuts enemy's HP by 1/2", 24}, {"Attack changes below 10 HP", 25},
    {"Random 'stop'", 36}, {"Random 'stop'", 38}, {"Random 'slow'", 39}, {"Random 'stop' on machines", 40},
    {"Random 'chaos'", 41}, {"Unused ( random 'chaos' ?)", 46}, {"4x damage at critical", 47},
    {"Unused (causes 9999 damage at critical)", 56},
};
const Effect kArmorEffects[] = {
    {"None", 0}, {"Cuts physical damage by 1/3 ", 23}, {"Absorbs 50% of lightning hits", 26},
    {"Absorbs 50% of shadow hits", 27}, {"Absorbs 50% of water hits", 28}, {"Absorbs 50% of fire hits", 29},
    {"Absorbs lightning hits", 31}, {"Absorbs shadow hits", 32}, {"Absorbs water hits", 33}, {"Absorbs fire hits", 34},
    {"Prevents \"chaos\"", 42}, {"Prevents \"lock\"", 43}, {"Prevents \"stop\" and \"slow\"", 44},
    {"Protects status", 45}, {"Cuts magic attacks by 1/3", 49}, {"Causes \"chaos\" ", 50},
    {"50% less time between attacks", 51},
};

// Which window a data row is about.
struct Kind {
    int listIndex;
    const char* window;
    int base;
    int size;
    int effectOffset;  // Combo2's byte; Combo1's byte follows it
};
const Kind kWeapon{3, "Weapon", kWeaponBase, 5, 3};
const Kind kArmor{4, "Armor", kArmorBase, 3, 1};

const Kind& kindOf(const QString& window) { return window == "Weapon" ? kWeapon : kArmor; }


}  // namespace

class WeaponArmorTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnFirstEntry_data();
    void opensOnFirstEntry();
    void listsTheItemSlice_data();
    void listsTheItemSlice();
    void dropDownsHoldTheSystemTexts_data();
    void dropDownsHoldTheSystemTexts();
    void showsStoredValueByEntry_data();
    void showsStoredValueByEntry();
    void savingUntouchedChangesNothing_data();
    void savingUntouchedChangesNothing();
    void chosenEntriesAreWritten_data();
    void chosenEntriesAreWritten();
    void lastEntryStaysInsideItsTable_data();
    void lastEntryStaysInsideItsTable();
    void fieldsKeepInRangeWhileTyping();
    void typedDropDownTextTakesEffectAtThisSave();
    void typedTextIsSavedAsTyped_data();
    void typedTextIsSavedAsTyped();
    void typedTextThatNamesNoEntryRefusesTheSave_data();
    void typedTextThatNamesNoEntryRefusesTheSave();
    void refusedFieldWritesNothing();
    void statusLineAfterSaveAndSelect();
};

void WeaponArmorTest::opensOnFirstEntry_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("bar");
    QTest::newRow("weapon") << "Weapon" << "Weapon " << 86 << "Weapon Number 0";
    QTest::newRow("armor") << "Armor" << "Armor " << 58 << "Armor Number 0";
}

void WeaponArmorTest::opensOnFirstEntry()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(int, entries);
    QFETCH(QString, bar);
    const Kind& kind = kindOf(window);
    Session s;
    QWidget* w = s.openEditor(kind.listIndex, window);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), caption);
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), entries);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(list->item(0)->text(), QString("{Null}"));
    QCOMPARE(child<QLabel>(w, "bar")->text(), bar);
    const Bytes record = s.image.bytesAt(kind.base, kind.size);
    for (int i = 0; i < kind.effectOffset; ++i)
        QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text%1").arg(i + 1))->text(), QString::number(record[i]));
    QVERIFY(s.platform.messages.isEmpty());
}

void WeaponArmorTest::listsTheItemSlice_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("firstItem");
    QTest::newRow("weapon: items 0..85") << "Weapon" << 0;
    QTest::newRow("armor: items 90..147") << "Armor" << 90;
}

void WeaponArmorTest::listsTheItemSlice()
{
    QFETCH(QString, window);
    QFETCH(int, firstItem);
    Session s;
    QWidget* w = s.openEditor(kindOf(window).listIndex, window);
    auto* list = child<QListWidget>(w, "List1");
    const QStringList items = labelList("items");
    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->item(i)->text(), items[firstItem + i]);
    if (window == "Weapon") {
        QVERIFY(list->item(1)->text().startsWith("{Sword} "));
        QCOMPARE(list->item(27)->text(), QString("{Bow}"));
        QVERIFY(list->item(85)->text().startsWith("{Sword} "));
    } else {
        QVERIFY(list->item(1)->text().startsWith("{Armor} "));
        QCOMPARE(list->item(33)->text(), QString("{Null}"));
        QVERIFY(list->item(34)->text().startsWith("{Helm} "));
    }
}

void WeaponArmorTest::dropDownsHoldTheSystemTexts_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("weapon") << "Weapon";
    QTest::newRow("armor") << "Armor";
}

void WeaponArmorTest::dropDownsHoldTheSystemTexts()
{
    QFETCH(QString, window);
    Session s;
    QWidget* w = s.openEditor(kindOf(window).listIndex, window);
    auto* combo2 = child<QComboBox>(w, "Combo2");
    const std::span<const Effect> effects = window == "Weapon" ? std::span<const Effect>(kWeaponEffects)
                                                               : std::span<const Effect>(kArmorEffects);
    QCOMPARE(combo2->count(), int(effects.size()));
    for (int i = 0; i < combo2->count(); ++i) {
        QCOMPARE(combo2->itemText(i), QString::fromUtf8(effects[i].label));
        QCOMPARE(combo2->itemData(i).toInt(), effects[i].value);
    }
    auto* combo1 = child<QComboBox>(w, "Combo1");
    QCOMPARE(combo1->count(), 2);
    QCOMPARE(combo1->itemText(0), QString("No"));
    QCOMPARE(combo1->itemData(0).toInt(), 0);
    QCOMPARE(combo1->itemText(1), QString("Yes"));
    QCOMPARE(combo1->itemData(1).toInt(), 1);
    QVERIFY(combo1->isEditable());
    QVERIFY(combo2->isEditable());
}

void WeaponArmorTest::showsStoredValueByEntry_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("effectText");
    QTest::addColumn<int>("effectEntry");
    QTest::addColumn<QString>("flagText");
    QTest::newRow("weapon 56") << "Weapon" << 56 << 1 << "Unused (causes 9999 damage at critical)" << 14 << "Yes";
    QTest::newRow("weapon 36") << "Weapon" << 36 << 1 << "Random 'stop'" << 7 << "Yes";
    QTest::newRow("weapon 38") << "Weapon" << 38 << 0 << "Random 'stop'" << 8 << "No";
    QTest::newRow("weapon 5, flag 2") << "Weapon" << 5 << 2 << "5" << -1 << "2";
    QTest::newRow("armor 51") << "Armor" << 51 << 1 << "50% less time between attacks" << 16 << "Yes";
    QTest::newRow("armor 30") << "Armor" << 30 << 0 << "30" << -1 << "No";
    QTest::newRow("armor 50") << "Armor" << 50 << 1 << "Causes \"chaos\" " << 15 << "Yes";
}

void WeaponArmorTest::showsStoredValueByEntry()
{
    QFETCH(QString, window);
    QFETCH(int, effect);
    QFETCH(int, flag);
    QFETCH(QString, effectText);
    QFETCH(int, effectEntry);
    QFETCH(QString, flagText);
    const Kind& kind = kindOf(window);
    const int row = 7;
    const int position = kind.base + row * kind.size;
    Session s;
    s.image.poke(position + kind.effectOffset, {std::uint8_t(effect), std::uint8_t(flag)});
    QWidget* w = s.openEditor(kind.listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), row);
    auto* combo2 = child<QComboBox>(w, "Combo2");
    QCOMPARE(combo2->currentText(), effectText);
    QCOMPARE(combo2->currentIndex(), effectEntry);
    QCOMPARE(child<QComboBox>(w, "Combo1")->currentText(), flagText);

    // each is written back as it was read
    const Bytes before = s.image.bytes();
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.image.bytesAt(position + kind.effectOffset, 2), (Bytes{std::uint8_t(effect), std::uint8_t(flag)}));
    QVERIFY(s.platform.messages.isEmpty());
}

void WeaponArmorTest::savingUntouchedChangesNothing_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("weapon") << "Weapon";
    QTest::newRow("armor") << "Armor";
}

void WeaponArmorTest::savingUntouchedChangesNothing()
{
    QFETCH(QString, window);
    Session s;
    QWidget* w = s.openEditor(kindOf(window).listIndex, window);
    auto* list = child<QListWidget>(w, "List1");
    const Bytes before = s.image.bytes();
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        clickSave(w);
    }
    QCOMPARE(s.image.bytes(), before);
    QVERIFY(s.platform.messages.isEmpty());
}

void WeaponArmorTest::chosenEntriesAreWritten_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("effectEntry");
    QTest::addColumn<int>("flagEntry");
    QTest::addColumn<int>("effectByte");
    QTest::addColumn<int>("flagByte");
    QTest::newRow("weapon None/Yes") << "Weapon" << 0 << 1 << 0 << 1;
    QTest::newRow("weapon 2x hit/No") << "Weapon" << 3 << 0 << 13 << 0;
    QTest::newRow("armor cuts physical/Yes") << "Armor" << 1 << 1 << 23 << 1;
    QTest::newRow("armor stop and slow/No") << "Armor" << 12 << 0 << 44 << 0;
}

void WeaponArmorTest::chosenEntriesAreWritten()
{
    QFETCH(QString, window);
    QFETCH(int, effectEntry);
    QFETCH(int, flagEntry);
    QFETCH(int, effectByte);
    QFETCH(int, flagByte);
    const Kind& kind = kindOf(window);
    const int row = 10;
    const int position = kind.base + row * kind.size;
    Session s;
    // a stored value without an entry, so that every choice is a change
    s.image.poke(position + kind.effectOffset, {5, 2});
    QWidget* w = s.openEditor(kind.listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), row);
    const Bytes before = s.image.bytes();
    pickEntry(child<QComboBox>(w, "Combo2"), effectEntry);
    pickEntry(child<QComboBox>(w, "Combo1"), flagEntry);
    clickSave(w);
    QCOMPARE(s.image.bytesAt(position + kind.effectOffset, 2), (Bytes{std::uint8_t(effectByte), std::uint8_t(flagByte)}));
    for (std::size_t offset : changedOffsets(before, s.image.bytes()))
        QVERIFY(offset == std::size_t(position + kind.effectOffset) || offset == std::size_t(position + kind.effectOffset + 1));
}

void WeaponArmorTest::lastEntryStaysInsideItsTable_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("position");
    QTest::newRow("weapon 85") << "Weapon" << 85 << 0xC060B;
    QTest::newRow("armor 57") << "Armor" << 57 << 0xC0729;
    QTest::newRow("armor 33, labelled {Null}") << "Armor" << 33 << 0xC06E1;
}

void WeaponArmorTest::lastEntryStaysInsideItsTable()
{
    QFETCH(QString, window);
    QFETCH(int, row);
    QFETCH(int, position);
    const Kind& kind = kindOf(window);
    Session s;
    QWidget* w = s.openEditor(kind.listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), row);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QString::number(s.image.bytesAt(position, 1)[0]));
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text1"), "201");
    pickEntry(child<QComboBox>(w, "Combo1"), 1);
    clickSave(w);
    const auto changed = changedOffsets(before, s.image.bytes());
    QVERIFY(!changed.empty());
    for (std::size_t offset : changed)
        QVERIFY2(offset >= std::size_t(position) && offset < std::size_t(position + kind.size), "a byte outside the record changed");
    QCOMPARE(int(s.image.bytesAt(position, 1)[0]), 201);
}

void WeaponArmorTest::fieldsKeepInRangeWhileTyping()
{
    Session s;
    s.image.poke(kWeaponBase + 5, {255});
    QWidget* weapon = s.openEditor(3, "Weapon");
    clickRow(child<QListWidget>(weapon, "List1"), 1);
    auto* attack = child<QLineEdit>(weapon, "Text1");
    QCOMPARE(attack->text(), QString("255"));
    typeInto(attack, "300");
    QCOMPARE(attack->text(), QString("255"));
    typeInto(child<QLineEdit>(weapon, "Text2"), "");
    QCOMPARE(child<QLineEdit>(weapon, "Text2")->text(), QString("0"));
    typeInto(child<QLineEdit>(weapon, "Text3"), "254");
    QCOMPARE(child<QLineEdit>(weapon, "Text3")->text(), QString("254"));

    QWidget* armor = s.openEditor(4, "Armor");
    typeInto(child<QLineEdit>(armor, "Text1"), "999");
    QCOMPARE(child<QLineEdit>(armor, "Text1")->text(), QString("255"));
}

void WeaponArmorTest::typedDropDownTextTakesEffectAtThisSave()
{
    Session s;
    const int position = kWeaponBase + 2 * 5;
    s.image.poke(position + 3, {0, 0});
    QWidget* w = s.openEditor(3, "Weapon");
    clickRow(child<QListWidget>(w, "List1"), 2);
    auto* combo2 = child<QComboBox>(w, "Combo2");
    auto* combo1 = child<QComboBox>(w, "Combo1");
    // a value string and a label, typed rather than chosen
    typeIntoCombo(combo2, "12");
    typeIntoCombo(combo1, "Yes");
    clickSave(w);
    QCOMPARE(s.image.bytesAt(position + 3, 2), (Bytes{12, 1}));
    QCOMPARE(combo2->currentText(), QString("1.5x hit on Mg enemies"));
    QCOMPARE(combo1->currentText(), QString("Yes"));
    QVERIFY(s.platform.messages.isEmpty());
}

// Key by key, as a user types: no completion may turn the text into another
// entry's label, and Enter picks by the list's own rule.
void WeaponArmorTest::typedTextIsSavedAsTyped_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("typed");  // "" types nothing
    QTest::addColumn<bool>("enter");
    QTest::addColumn<int>("saved");
    QTest::addColumn<QString>("shown");  // Combo2's text after the save
    QTest::newRow("weapon 2") << "Weapon" << 0 << "2" << false << 2 << "Damage can vary";
    QTest::newRow("weapon 2, Enter") << "Weapon" << 0 << "2" << true << 2 << "Damage can vary";
    QTest::newRow("armor 50") << "Armor" << 0 << "50" << false << 0x32 << "Causes \"chaos\" ";
    QTest::newRow("armor 5 without an entry, retyped") << "Armor" << 5 << "5" << false << 5 << "5";
    QTest::newRow("the second of two shared labels, retyped") << "Weapon" << 38 << "Random 'stop'" << false << 38
                                                               << "Random 'stop'";
    QTest::newRow("the second of two shared labels, Enter") << "Weapon" << 38 << "" << true << 38 << "Random 'stop'";
    QTest::newRow("a shared label typed over another entry") << "Weapon" << 0 << "Random 'stop'" << false << 36
                                                              << "Random 'stop'";
}

void WeaponArmorTest::typedTextIsSavedAsTyped()
{
    QFETCH(QString, window);
    QFETCH(int, stored);
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    QFETCH(int, saved);
    QFETCH(QString, shown);
    const Kind& kind = kindOf(window);
    const int row = 6;
    const int position = kind.base + kind.size * row + kind.effectOffset;
    Session s;
    s.image.poke(position, {std::uint8_t(stored)});
    QWidget* w = s.openEditor(kind.listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), row);
    auto* combo2 = child<QComboBox>(w, "Combo2");
    QLineEdit* edit = combo2->lineEdit();
    focusForTyping(edit);
    if (!typed.isEmpty()) {
        typeIntoCombo(combo2, typed);
        QCOMPARE(edit->text(), typed);
    }
    if (enter)
        QTest::keyClick(edit, Qt::Key_Return);
    const Bytes before = s.image.bytes();
    clickSave(w);
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QCOMPARE(s.image.bytesAt(position, 1), Bytes{std::uint8_t(saved)});
    const std::vector<std::size_t> changed = changedOffsets(before, s.image.bytes());
    QVERIFY(changed.empty() || changed == offsetRange(position, 1));
    QCOMPARE(combo2->currentText(), shown);
}

void WeaponArmorTest::typedTextThatNamesNoEntryRefusesTheSave_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    QTest::newRow("weapon effect 7") << "Weapon" << "Combo2" << "7" << "Inflicted Status";
    QTest::newRow("weapon flag maybe") << "Weapon" << "Combo1" << "maybe" << "Does Weapon Inflict Status?";
    QTest::newRow("armor effect 300") << "Armor" << "Combo2" << "300" << "Inflicted Status";
    QTest::newRow("armor flag emptied") << "Armor" << "Combo1" << "" << "Does Armor Inflict Status?";
}

void WeaponArmorTest::typedTextThatNamesNoEntryRefusesTheSave()
{
    QFETCH(QString, window);
    QFETCH(QString, combo);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    const Kind& kind = kindOf(window);
    Session s;
    QWidget* w = s.openEditor(kind.listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), 4);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text1"), "77");
    typeIntoCombo(child<QComboBox>(w, combo), typed);
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(label));
    QVERIFY(child<QLabel>(w, "bar")->text().startsWith("Not saved: "));
}

void WeaponArmorTest::refusedFieldWritesNothing()
{
    Session s;
    QWidget* w = s.openEditor(3, "Weapon");
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text3"), "-3");
    pickEntry(child<QComboBox>(w, "Combo1"), 1);
    clickSave(w);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("Critical Hit %"));
    QVERIFY(s.platform.messages[0].contains("0 to 255"));
}

void WeaponArmorTest::statusLineAfterSaveAndSelect()
{
    Session s;
    QWidget* w = s.openEditor(3, "Weapon");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, 17);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Weapon Number 17"));
    clickSave(w);
    QCOMPARE(child<QLabel>(w, "bar")->text(), "Saved -- " + list->item(17)->text() + " -- to ROM.");
    clickRow(list, 18);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Weapon Number 18"));

    QWidget* armor = s.openEditor(4, "Armor");
    clickRow(child<QListWidget>(armor, "List1"), 34);
    clickSave(armor);
    QCOMPARE(child<QLabel>(armor, "bar")->text(),
             "Saved -- " + child<QListWidget>(armor, "List1")->item(34)->text() + " -- to ROM.");
}

QTEST_MAIN(WeaponArmorTest)
#include "test_weapon_armor.moc"
