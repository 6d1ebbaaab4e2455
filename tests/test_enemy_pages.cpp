#include "tests/support/combo_input.h"
#include "tests/enemy_steps.h"

#include "rom/numeric_text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kStats = 0x0C4900;
constexpr int kAiPointers = 0x0C8D08;
constexpr int kRewards = 0x0C6000;

// Chooses an entry with the arrow keys, as a user would.
void chooseEntry(QComboBox* list, int index)
{
    list->setFocus();
    if (list->currentIndex() < 0)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() < index)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > index)
        QTest::keyClick(list, Qt::Key_Up);
}

}  // namespace

class EnemyPagesTest : public QObject {
    Q_OBJECT
private slots:
    void savingUnchangedRewritesTheSameBytes_data();
    void savingUnchangedRewritesTheSameBytes();
    void eachSaveWritesOnlyItsRecord_data();
    void eachSaveWritesOnlyItsRecord();
    void wordsAreShownUnsigned();
    void aiPointerIsReadAndSavedAtTheSamePlace();
    void refusedSaveWritesNothing_data();
    void refusedSaveWritesNothing();
    void hitEffectKeepsTheChosenValue();
    void hitEffectAboveTheListIsKeptAsStored();
    void typedListTextSelectsAnEntryOrIsRefused_data();
    void typedListTextSelectsAnEntryOrIsRefused();
    void typedKeyByKeyIsSavedAsTyped_data();
    void typedKeyByKeyIsSavedAsTyped();
    void itemListsFollowTheCategories();
    void itemListsKeepTheChosenValue();
};

void EnemyPagesTest::savingUnchangedRewritesTheSameBytes_data()
{
    QTest::addColumn<int>("enemy");
    QTest::newRow("first") << 0;
    QTest::newRow("hit effect 23, no entry") << 23;
    QTest::newRow("hit effect 24, no entry") << 24;
    QTest::newRow("last") << 255;
}

void EnemyPagesTest::savingUnchangedRewritesTheSameBytes()
{
    QFETCH(int, enemy);
    Session s;
    QWidget* w = openMonsterOn(s, enemy);
    const Bytes before = s.image.bytes();
    const QString hex = QString::number(enemy, 16).toUpper().rightJustified(2, '0');
    const QString saved = "Saved -- " + hex + " - Enemy " + hex + " -- to ROM.";
    const QList<QPair<QString, QString>> pages{
        {"Command1", "Save"}, {"Command4", "Save2"}, {"Command5", "Save3"}, {"Command6", "Save4"}};
    for (const auto& [selector, save] : pages) {
        click(w, selector);
        click(w, save);
        QCOMPARE(bar(w), saved);
        QCOMPARE(s.image.bytes(), before);
    }
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyPagesTest::eachSaveWritesOnlyItsRecord_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("enemy");
    QTest::addColumn<int>("recordStart");
    QTest::addColumn<int>("offset");
    QTest::addColumn<Bytes>("written");
    // the last stats record ends where the rewards begin, the last rewards
    // record where the names begin
    QTest::newRow("HP 65535, last enemy") << "Command4" << "Save2" << "s1" << "65535" << 255 << 0x0C5FE9 << 0 << Bytes{0xFF, 0xFF};
    QTest::newRow("HP 40000") << "Command4" << "Save2" << "s1" << "40000" << 0 << kStats << 0 << Bytes{0x40, 0x9C};
    QTest::newRow("Level") << "Command4" << "Save2" << "s2" << "99" << 1 << kStats + 23 << 2 << Bytes{99};
    QTest::newRow("Death Animation, last enemy") << "Command4" << "Save2" << "s21" << "200" << 255 << 0x0C5FE9 << 21 << Bytes{200};
    QTest::newRow("Defense clamped") << "Command4" << "Save2" << "s15" << "999" << 3 << kStats + 69 << 15 << Bytes{255};
    QTest::newRow("AI pointer 65535, last enemy") << "Command5" << "Save3" << "AIT" << "65535" << 255 << 0x0C8F06 << 0 << Bytes{0xFF, 0xFF};
    QTest::newRow("AI pointer, first enemy") << "Command5" << "Save3" << "AIT" << "4660" << 0 << kAiPointers << 0 << Bytes{0x34, 0x12};
    QTest::newRow("experience, last enemy") << "Command6" << "Save4" << "r1" << "10000" << 255 << 0x0C66F9 << 0 << Bytes{0x10, 0x27};
    QTest::newRow("money") << "Command6" << "Save4" << "r2" << "32768" << 0 << kRewards << 2 << Bytes{0x00, 0x80};
    QTest::newRow("tech points, last enemy") << "Command6" << "Save4" << "r5" << "7" << 255 << 0x0C66F9 << 6 << Bytes{7};
    QTest::newRow("sprite size, last enemy") << "Command1" << "Save" << "Text5" << "12" << 255 << 0x2501F6 << 4 << Bytes{12};
}

void EnemyPagesTest::eachSaveWritesOnlyItsRecord()
{
    QFETCH(QString, selector);
    QFETCH(QString, save);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, enemy);
    QFETCH(int, recordStart);
    QFETCH(int, offset);
    QFETCH(Bytes, written);
    Session s;
    QWidget* w = openMonsterOn(s, enemy);
    const Bytes before = s.image.bytes();
    click(w, selector);
    typeInto(child<QLineEdit>(w, field), typed);
    click(w, save);
    const Bytes after = s.image.bytes();
    QCOMPARE(s.image.bytesAt(recordStart + offset, written.size()), written);
    QVERIFY2(onlyWithin(before, after, recordStart + offset, written.size()), "a byte besides the field changed");
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(bar(w).startsWith("Saved -- "));
}

void EnemyPagesTest::wordsAreShownUnsigned()
{
    Session s;
    s.image.poke(kStats + 23 * 4, {0x40, 0x9C});
    s.image.poke(kRewards + 7 * 4, {0x10, 0x27, 0xFF, 0xFF});
    s.image.poke(kAiPointers + 2 * 4, {0x00, 0x80});
    QWidget* w = openMonsterOn(s, 4);
    QCOMPARE(child<QLineEdit>(w, "s1")->text(), QString("40000"));
    QCOMPARE(child<QLineEdit>(w, "r1")->text(), QString("10000"));
    QCOMPARE(child<QLineEdit>(w, "r2")->text(), QString("65535"));
    QCOMPARE(child<QLineEdit>(w, "AIT")->text(), QString("32768"));
}

void EnemyPagesTest::aiPointerIsReadAndSavedAtTheSamePlace()
{
    Session s;
    // a byte before the table, then enemy 0's pointer 0x1234, then enemy 1's
    s.image.poke(kAiPointers - 1, {0x11, 0x34, 0x12, 0x99, 0x01});
    QWidget* w = openMonsterOn(s, 0);
    click(w, "Command5");
    auto* ait = child<QLineEdit>(w, "AIT");
    QCOMPARE(ait->text(), QString::number(0x1234));
    const Bytes before = s.image.bytes();
    click(w, "Save3");
    QCOMPARE(s.image.bytes(), before);
    typeInto(ait, "1");
    click(w, "Save3");
    QCOMPARE(s.image.bytesAt(kAiPointers - 1, 5), (Bytes{0x11, 0x01, 0x00, 0x99, 0x01}));
    clickRow(child<QListWidget>(w, "List1"), 1);
    QCOMPARE(ait->text(), QString::number(0x0199));
}

void EnemyPagesTest::refusedSaveWritesNothing_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("range");
    QTest::newRow("HP 65536") << "Command4" << "Save2" << "s1" << "65536" << "HP" << "0 to 65535";
    QTest::newRow("HP negative") << "Command4" << "Save2" << "s1" << "-1" << "HP" << "0 to 65535";
    QTest::newRow("HP not a number") << "Command4" << "Save2" << "s1" << "lots" << "HP" << "0 to 65535";
    QTest::newRow("Level negative") << "Command4" << "Save2" << "s2" << "-3" << "Level" << "0 to 255";
    QTest::newRow("Speed not a number") << "Command4" << "Save2" << "s9" << "fast" << "Speed" << "0 to 255";
    QTest::newRow("AI pointer 70000") << "Command5" << "Save3" << "AIT" << "70000" << "AI Pointer" << "0 to 65535";
    QTest::newRow("experience 65536") << "Command6" << "Save4" << "r1" << "65536" << "Experience Points" << "0 to 65535";
    QTest::newRow("money not a number") << "Command6" << "Save4" << "r2" << "x" << "Gil" << "0 to 65535";
    QTest::newRow("tech points fraction below 0") << "Command6" << "Save4" << "r5" << "-0.6" << "Tech Points" << "0 to 255";
}

void EnemyPagesTest::refusedSaveWritesNothing()
{
    QFETCH(QString, selector);
    QFETCH(QString, save);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    QFETCH(QString, range);
    Session s;
    QWidget* w = openMonsterOn(s, 200);
    const Bytes before = s.image.bytes();
    click(w, selector);
    typeInto(child<QLineEdit>(w, field), typed);
    click(w, save);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    const QString message = s.platform.messages[0];
    QVERIFY2(message.contains(label) && message.contains(range), qPrintable(message));
    // words refuse with the conversion message first
    QCOMPARE(message.startsWith(QString::fromUtf8(kWordConversionError.data(), kWordConversionError.size())),
             range == QLatin1String("0 to 65535"));
    QCOMPARE(child<QLineEdit>(w, field)->text(), typed);
    QVERIFY2(bar(w).startsWith("Not saved: ") && bar(w).contains(label), qPrintable(bar(w)));
}

void EnemyPagesTest::hitEffectKeepsTheChosenValue()
{
    Session s;
    QWidget* w = openMonsterOn(s, 5);  // stored Hit Effect 5
    click(w, "Command4");
    auto* hit = child<QComboBox>(w, "s22");
    QCOMPARE(hit->count(), 23);
    QCOMPARE(hit->itemText(19), QString("19 - Deals more damage "));
    QCOMPARE(hit->currentText(), QString("5 - Causes HP Leak"));
    const Bytes before = s.image.bytes();
    const int position = kStats + 23 * 5 + 22;

    chooseEntry(hit, 17);
    QCOMPARE(hit->currentText(), QString("17 - Gives you all it's HP"));
    click(w, "Save2");
    QCOMPARE(s.image.bytesAt(position, 1), Bytes{17});
    QVERIFY(onlyWithin(before, s.image.bytes(), position, 1));

    // another enemy's read replaces the choice
    clickRow(child<QListWidget>(w, "List1"), 22);
    QCOMPARE(hit->currentText(), QString("22 - Deals more damage than usual"));
    chooseEntry(hit, 0);
    click(w, "Save2");
    QCOMPARE(s.image.bytesAt(kStats + 23 * 22 + 22, 1), Bytes{0});
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyPagesTest::hitEffectAboveTheListIsKeptAsStored()
{
    Session s;
    s.image.poke(kStats + 23 * 6 + 22, {200});
    QWidget* w = openMonsterOn(s, 6);
    click(w, "Command4");
    auto* hit = child<QComboBox>(w, "s22");
    QCOMPARE(hit->currentIndex(), -1);
    QCOMPARE(hit->currentText(), QString("200"));
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "s2"), "3");
    click(w, "Save2");
    QCOMPARE(s.image.bytesAt(kStats + 23 * 6 + 22, 1), Bytes{200});
    QCOMPARE(s.image.bytesAt(kStats + 23 * 6 + 2, 1), Bytes{3});
    QVERIFY(onlyWithin(before, s.image.bytes(), kStats + 23 * 6, 23));

    // only a choice replaces it
    chooseEntry(hit, 4);
    click(w, "Save2");
    QCOMPARE(s.image.bytesAt(kStats + 23 * 6 + 22, 1), Bytes{4});
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyPagesTest::typedListTextSelectsAnEntryOrIsRefused_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("position");  // of the byte, for enemy 0
    QTest::addColumn<int>("stored");    // -1: refused
    QTest::addColumn<QString>("label");
    QTest::newRow("hit effect number") << "Command4" << "Save2" << "s22" << "7" << kStats + 22 << 7 << "";
    QTest::newRow("hit effect label") << "Command4" << "Save2" << "s22" << "16 - Brings you down to 1 HP" << kStats + 22 << 16 << "";
    QTest::newRow("hit effect unknown") << "Command4" << "Save2" << "s22" << "Petrify" << kStats + 22 << -1 << "Hit Effect";
    QTest::newRow("hit effect past the list") << "Command4" << "Save2" << "s22" << "23" << kStats + 22 << -1 << "Hit Effect";
    QTest::newRow("dropped item label") << "Command6" << "Save4" << "r3" << "{Sword} Sword 2" << kRewards + 4 << 2 << "";
    QTest::newRow("dropped item number") << "Command6" << "Save4" << "r3" << "240" << kRewards + 4 << 240 << "";
    QTest::newRow("charmed item unknown") << "Command6" << "Save4" << "r4" << "Potion" << kRewards + 5 << -1 << "Charmed Item";
    QTest::newRow("charmed item past a byte") << "Command6" << "Save4" << "r4" << "256" << kRewards + 5 << -1 << "Charmed Item";
}

void EnemyPagesTest::typedListTextSelectsAnEntryOrIsRefused()
{
    QFETCH(QString, selector);
    QFETCH(QString, save);
    QFETCH(QString, list);
    QFETCH(QString, typed);
    QFETCH(int, position);
    QFETCH(int, stored);
    QFETCH(QString, label);
    Session s;
    QWidget* w = openMonsterOn(s, 0);
    const Bytes before = s.image.bytes();
    click(w, selector);
    auto* combo = child<QComboBox>(w, list);
    typeIntoCombo(combo, typed);
    click(w, save);
    if (stored < 0) {
        QCOMPARE(s.image.bytes(), before);
        QCOMPARE(s.platform.messages.size(), 1);
        QVERIFY2(s.platform.messages[0].contains(label), qPrintable(s.platform.messages[0]));
        QVERIFY2(bar(w).startsWith("Not saved: ") && bar(w).contains(label), qPrintable(bar(w)));
        return;
    }
    QCOMPARE(s.image.bytesAt(position, 1), Bytes{std::uint8_t(stored)});
    QVERIFY(onlyWithin(before, s.image.bytes(), position, 1));
    QCOMPARE(combo->currentIndex(), stored);
    QVERIFY(s.platform.messages.isEmpty());
}

void EnemyPagesTest::typedKeyByKeyIsSavedAsTyped_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("save");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("position");  // of the byte, for enemy 3
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("saved");
    // items 27..30 share the label "{Bow}", and "{Bow} Bow 1" (item 17) starts with it
    QTest::newRow("dropped item 28 by its shared label") << "Command6" << "Save4" << "r3" << kRewards + 7 * 3 + 4 << 28
                                                         << "{Bow}" << 28;
    QTest::newRow("charmed item 29 by its shared label") << "Command6" << "Save4" << "r4" << kRewards + 7 * 3 + 5 << 29
                                                         << "{Bow}" << 29;
    QTest::newRow("dropped item by a shared label shown nowhere") << "Command6" << "Save4" << "r3" << kRewards + 7 * 3 + 4
                                                                  << 0 << "{Bow}" << 27;
    QTest::newRow("dropped item 2 by number") << "Command6" << "Save4" << "r3" << kRewards + 7 * 3 + 4 << 0 << "2" << 2;
    QTest::newRow("hit effect 2 by number") << "Command4" << "Save2" << "s22" << kStats + 23 * 3 + 22 << 0 << "2" << 2;
    QTest::newRow("hit effect 23, retyped") << "Command4" << "Save2" << "s22" << kStats + 23 * 3 + 22 << 23 << "23" << 23;
}

void EnemyPagesTest::typedKeyByKeyIsSavedAsTyped()
{
    QFETCH(QString, selector);
    QFETCH(QString, save);
    QFETCH(QString, list);
    QFETCH(int, position);
    QFETCH(int, stored);
    QFETCH(QString, typed);
    QFETCH(int, saved);
    Session s;
    s.image.poke(position, {std::uint8_t(stored)});
    QWidget* w = openMonsterOn(s, 3);
    click(w, selector);
    auto* combo = child<QComboBox>(w, list);
    typeIntoCombo(combo, typed);
    QCOMPARE(combo->currentText(), typed);
    const Bytes before = s.image.bytes();
    click(w, save);
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
    QCOMPARE(s.image.bytesAt(position, 1), Bytes{std::uint8_t(saved)});
    QVERIFY(onlyWithin(before, s.image.bytes(), position, 1));
}

void EnemyPagesTest::itemListsFollowTheCategories()
{
    Session s;
    QWidget* w = openMonsterOn(s, 0);
    struct Span {
        int first, last;
        const char* category;
    };
    const Span spans[] = {{0, 0, "{Null}"},       {1, 16, "{Sword}"},   {17, 30, "{Bow}"},      {31, 45, "{Gun}"},
                          {46, 58, "{Arm}"},     {59, 67, "{Blade}"},  {68, 74, "{Fist}"},     {75, 78, "{Scythe}"},
                          {79, 79, "{Sword}"},   {80, 82, "{Blade}"},  {83, 85, "{Sword}"},    {86, 90, "{Null}"},
                          {91, 122, "{Armor}"},  {123, 123, "{Null}"}, {124, 147, "{Helm}"},   {148, 148, "{Null}"},
                          {149, 187, "{Acc}"},   {188, 188, "{Null}"}, {189, 231, "{Item}"},   {232, 259, "{Null}"}};
    for (const char* name : {"r3", "r4"}) {
        auto* list = child<QComboBox>(w, name);
        QCOMPARE(list->count(), 260);
        for (const Span& span : spans)
            for (int i = span.first; i <= span.last; ++i) {
                const QString text = list->itemText(i);
                const QString category = QString::fromLatin1(span.category);
                // a few entries carry their category alone
                QVERIFY2(text == category || (category != "{Null}" && text.startsWith(category + ' ')),
                         qPrintable(QStringLiteral("entry %1: %2").arg(i).arg(text)));
            }
    }
}

void EnemyPagesTest::itemListsKeepTheChosenValue()
{
    Session s;
    s.image.poke(kRewards + 7 * 2 + 4, {0, 255});
    QWidget* w = openMonsterOn(s, 2);
    click(w, "Command6");
    auto* dropped = child<QComboBox>(w, "r3");
    auto* charmed = child<QComboBox>(w, "r4");
    QCOMPARE(dropped->currentIndex(), 0);
    QCOMPARE(dropped->currentText(), QString("{Null}"));
    QCOMPARE(charmed->currentIndex(), 255);
    const Bytes before = s.image.bytes();
    click(w, "Save4");
    QCOMPARE(s.image.bytes(), before);

    // the {Null} entries after 255 stand for 0
    chooseEntry(charmed, 257);
    QCOMPARE(charmed->currentText(), QString("{Null}"));
    chooseEntry(dropped, 147);
    click(w, "Save4");
    QCOMPARE(s.image.bytesAt(kRewards + 7 * 2 + 4, 2), (Bytes{147, 0}));
    QVERIFY(onlyWithin(before, s.image.bytes(), kRewards + 7 * 2 + 4, 2));
    QVERIFY(s.platform.messages.isEmpty());
}

QTEST_MAIN(EnemyPagesTest)
#include "test_enemy_pages.moc"
