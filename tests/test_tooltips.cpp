#include "tests/enemy_steps.h"

#include "editors/common/place_tips.h"
#include "editors/common/value_combo.h"
#include "rom/tables.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>

namespace {

// A control's place as its tooltip's last line gives it.
struct Place {
    std::uint32_t position = 0;
    QString width;  // "byte", "word", "text", or "bit"
    int bit = -1;
};

std::optional<Place> placeOf(const QWidget* control)
{
    static const QRegularExpression pattern(
        QStringLiteral("^0x([0-9A-F]{6})(?: \u00B7 (byte) \u00B7 0\\.\\.255| \u00B7 (word) \u00B7 0\\.\\.65535"
                       "| \u00B7 (text) \u00B7 \\d+ bytes| (bit) ([0-7]))$"));
    const QString last = control->toolTip().split('\n').last();
    const auto match = pattern.match(last);
    if (!match.hasMatch())
        return std::nullopt;
    Place place;
    place.position = match.captured(1).toUInt(nullptr, 16);
    for (int group = 2; group <= 5; ++group)
        if (!match.captured(group).isEmpty())
            place.width = match.captured(group);
    if (place.width == "bit")
        place.bit = match.captured(6).toInt();
    return place;
}

// the controls of an image field a user sees now: fields, check boxes, drop-downs
QList<QWidget*> shownFieldControls(QWidget* w)
{
    QList<QWidget*> controls;
    for (QWidget* c : w->findChildren<QWidget*>()) {
        const bool kind = qobject_cast<QCheckBox*>(c) || qobject_cast<QComboBox*>(c)
                          || (qobject_cast<QLineEdit*>(c) && !qobject_cast<QComboBox*>(c->parentWidget()));
        // the filter and the names switch are no fields; a disabled box only holds another one's place
        if (kind && c->isVisible() && c->isEnabled() && c->objectName() != "Filter" && c->objectName() != "preread")
            controls << c;
    }
    return controls;
}

// selects another entry and back: the window reads `entry` afresh
void reread(QWidget* w, int entry)
{
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, entry - 1);
    clickRow(list, entry);
}

// Pokes a different value into the place a control's tooltip names and
// checks that the control shows it once the entry is read again.
void checkPlaceByPoking(Session& s, QWidget* w, QWidget* control, int entry)
{
    const QString name = w->objectName() + "." + control->objectName();
    const auto place = placeOf(control);
    QVERIFY2(place, qPrintable(name + ": " + control->toolTip()));
    if (place->width == "text")
        return;  // the name field: its place is checked with the names themselves
    const Bytes old = s.image.bytesAt(place->position, place->width == "word" ? 2 : 1);
    QVERIFY2(!old.empty(), qPrintable(name));
    if (place->width == "bit") {
        s.image.poke(place->position, {std::uint8_t(old[0] ^ (1u << place->bit))});
        reread(w, entry);
        const bool set = (old[0] >> place->bit) & 1;
        QVERIFY2(qobject_cast<QCheckBox*>(control)->isChecked() == !set, qPrintable(name));
    } else {
        const std::uint8_t poked = std::uint8_t(old[0] ^ 0x25);
        s.image.poke(place->position, {poked});
        reread(w, entry);
        const int expected = place->width == "word" ? poked | (old[1] << 8) : poked;
        if (auto* combo = qobject_cast<ValueCombo*>(control))
            QCOMPARE(combo->value(), expected);
        else
            QCOMPARE(qobject_cast<QLineEdit*>(control)->text(), QString::number(expected));
    }
    s.image.poke(place->position, old);
}

}  // namespace

class TooltipTest : public QObject {
    Q_OBJECT
private slots:
    void everyFieldNamesItsPlaceForTheEntryShown_data();
    void everyFieldNamesItsPlaceForTheEntryShown();
    void everyEnemyPageNamesItsPlaces();
    void aTooltipGivenBeforeComesFirst();
    void chestContentsNameTheirWord();
};

void TooltipTest::everyFieldNamesItsPlaceForTheEntryShown_data()
{
    QTest::addColumn<int>("editor");
    QTest::addColumn<QString>("window");
    QTest::newRow("characters") << 0 << "Character";
    QTest::newRow("NPCs") << 1 << "NPC";
    QTest::newRow("weapons") << 3 << "Weapon";
    QTest::newRow("armor") << 4 << "Armor";
    QTest::newRow("accessories") << 5 << "Accessory";
    QTest::newRow("item secondary") << 6 << "Item2";
    QTest::newRow("consumables") << 7 << "KeyItemandConsumables";
}

void TooltipTest::everyFieldNamesItsPlaceForTheEntryShown()
{
    QFETCH(int, editor);
    QFETCH(QString, window);
    Session s;
    QWidget* w = s.openEditor(editor, window);
    clickRow(child<QListWidget>(w, "List1"), 2);
    clickRow(child<QListWidget>(w, "List1"), 5);  // after a switch of entries
    const QList<QWidget*> controls = shownFieldControls(w);
    QVERIFY(controls.size() >= 3);
    for (QWidget* control : controls) {
        checkPlaceByPoking(s, w, control, 5);
        if (QTest::currentTestFailed())
            return;
    }
}

void TooltipTest::everyEnemyPageNamesItsPlaces()
{
    Session s;
    QWidget* w = openMonsterOn(s, 0x30);
    clickRow(child<QListWidget>(w, "List1"), 0x31);
    int checked = 0;
    for (const char* page : {"Command1", "Command4", "Command5", "Command6"}) {
        click(w, page);
        for (QWidget* control : shownFieldControls(w)) {
            checkPlaceByPoking(s, w, control, 0x31);
            if (QTest::currentTestFailed())
                return;
            ++checked;
        }
    }
    QVERIFY(checked >= 40);
    // the name field: its slot, the whole record of game text
    const auto name = placeOf(child<QLineEdit>(w, "namebox"));
    QVERIFY(name);
    QCOMPARE(name->width, QString("text"));
    QCOMPARE(name->position, recordPosition(tables::enemyNames, 0x31).value());
}

void TooltipTest::aTooltipGivenBeforeComesFirst()
{
    QLineEdit field;
    field.setToolTip("Hit points of the enemy");
    showPlace(&field, tables::enemyStats, tables::enemyStats.fields[1], 1);
    const QStringList lines = field.toolTip().split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QString("Hit points of the enemy"));
    QVERIFY(placeOf(&field));
    // a later entry replaces the place, not the given text
    showPlace(&field, tables::enemyStats, tables::enemyStats.fields[1], 2);
    QCOMPARE(field.toolTip().split('\n')[0], QString("Hit points of the enemy"));
    QCOMPARE(placeOf(&field)->position, recordPosition(tables::enemyStats, 2).value() + tables::enemyStats.fields[1].offset);
    QCOMPARE(field.toolTip().count('\n'), 1);
}

void TooltipTest::chestContentsNameTheirWord()
{
    Session s;
    QWidget* w = s.openEditor(8, "Chests");
    clickRow(child<QListWidget>(w, "List1"), 9);
    for (const char* name : {"c1", "c2"})
        checkPlaceByPoking(s, w, child<QWidget>(w, name), 9);
    const std::uint32_t word = recordPosition(tables::chests, 9).value() + 2;
    for (const char* name : {"Text1", "c3", "item"})
        QCOMPARE(placeOf(child<QWidget>(w, name))->position, word);
    // gold is the word's bit 15, an event its bit 14
    QCOMPARE(placeOf(child<QWidget>(w, "gold"))->position, word + 1);
    QCOMPARE(placeOf(child<QWidget>(w, "gold"))->bit, 7);
    QCOMPARE(placeOf(child<QWidget>(w, "events"))->bit, 6);
    for (QWidget* control : shownFieldControls(w))
        QVERIFY2(placeOf(control), qPrintable(control->objectName()));
}

QTEST_MAIN(TooltipTest)
#include "test_tooltips.moc"
