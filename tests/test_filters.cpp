#include "tests/enemy_steps.h"

#include "editors/common/editor_window.h"
#include "editors/common/list_filter.h"
#include "editors/common/window_finish.h"
#include "rom/tables.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

QLineEdit* filterOf(QWidget* w) { return child<QLineEdit>(w, "Filter"); }

// the rows a list shows now
QList<int> shownRows(QListWidget* list)
{
    QList<int> rows;
    for (int row = 0; row < list->count(); ++row)
        if (!list->item(row)->isHidden())
            rows << row;
    return rows;
}

QWidget* openGato(Session& s)
{
    s.mainWindow()->findChild<QAction*>("Gato1")->trigger();
    return s.shell().windows().find("Gato");
}

}  // namespace

class FilterTest : public QObject {
    Q_OBJECT
private slots:
    void matching_data();
    void matching();
    void everyLongListHasAFilterAboveIt();
    void typedWordsNarrowAndSaveHitsTheChosenEntry();
    void aNumberFindsTheIndexDecimalOrHex();
    void emptyingShowsAllAndKeepsTheSelection();
    void oneFilterServesBothEnemyLists();
    void theGatoWindowSavesTheFilteredChoice();
};

void FilterTest::matching_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("shown");
    QTest::newRow("empty") << "" << "anything" << 3 << true;
    QTest::newRow("blanks only") << "   " << "anything" << 3 << true;
    QTest::newRow("one word, any case") << "SWORD" << "{Sword} Sword 3" << 3 << true;
    QTest::newRow("every word must be there") << "sword 3" << "{Sword} Sword 3" << 3 << true;
    QTest::newRow("in any order") << "3 sword" << "{Sword} Sword 3" << 3 << true;
    QTest::newRow("a word missing") << "sword bow" << "{Sword} Sword 3" << 3 << false;
    QTest::newRow("decimal index") << "10" << "Chest Number : 10" << 10 << true;
    QTest::newRow("decimal index, other text") << "10" << "{Armor} Mail" << 10 << true;
    QTest::newRow("hex index as shown") << "0A" << "{Armor} Mail" << 10 << true;
    QTest::newRow("hex index, lower case") << "0a" << "{Armor} Mail" << 10 << true;
    QTest::newRow("10 read as hex") << "10" << "{Armor} Mail" << 16 << true;
    QTest::newRow("a number that is neither") << "10" << "{Armor} Mail" << 11 << false;
    QTest::newRow("a number inside the text") << "12" << "Chest Number : 112" << 3 << true;
    QTest::newRow("a signed number is text") << "-1" << "Chest Number : 1" << 1 << false;
    QTest::newRow("two numbers are text") << "1 2" << "Chest Number : 12" << 0 << true;
}

void FilterTest::matching()
{
    QFETCH(QString, filter);
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(bool, shown);
    QCOMPARE(filterMatches(filter, text, index), shown);
}

void FilterTest::everyLongListHasAFilterAboveIt()
{
    Session s;
    const QStringList names{"Character", "NPC", "Monster", "Weapon", "Armor",
                            "Accessory", "Item2", "KeyItemandConsumables", "Chests"};
    QList<QWidget*> windows;
    for (int i = 0; i < names.size(); ++i)
        windows << s.openEditor(i, names[i]);
    windows << openGato(s);
    for (QWidget* w : windows) {
        auto* list = child<QListWidget>(w, "List1");
        const QList<QLineEdit*> filters = w->findChildren<QLineEdit*>("Filter");
        if (list->count() <= kFilterThreshold) {
            QVERIFY2(filters.isEmpty(), qPrintable(w->objectName()));
            continue;
        }
        QCOMPARE(filters.size(), 1);
        QLineEdit* filter = filters.first();
        QCOMPARE(filter->placeholderText(), QString("Filter"));
        QVERIFY2(filter->isVisible(), qPrintable(w->objectName()));
        // above the list, as wide, and the list whole inside the window
        QVERIFY(filter->geometry().bottom() < list->geometry().top());
        QCOMPARE(filter->x(), list->x());
        QCOMPARE(filter->width(), list->width());
        QVERIFY(list->geometry().bottom() < w->height());
        QVERIFY(list->height() >= 5 * list->sizeHintForRow(0));
        // nothing else of the window lies under the filter
        for (QWidget* other : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != filter && other->isVisible())
                QVERIFY2(!other->geometry().intersects(filter->geometry()),
                         qPrintable(w->objectName() + ": " + other->objectName()));
        }
    }
}

void FilterTest::typedWordsNarrowAndSaveHitsTheChosenEntry()
{
    Session s;
    QWidget* w = s.openEditor(3, "Weapon");
    auto* list = child<QListWidget>(w, "List1");
    typeInto(filterOf(w), "sword 1");
    const QList<int> shown = shownRows(list);
    QVERIFY(!shown.isEmpty());
    for (int row = 0; row < list->count(); ++row) {
        const QString text = list->item(row)->text().toLower();
        QCOMPARE(shown.contains(row), text.contains("sword") && text.contains("1"));
    }
    // pick the third entry the filter shows; its own index is read and written
    const int chosen = shown[2];
    clickRow(list, chosen);
    QCOMPARE(bar(w).right(QString::number(chosen).size()), QString::number(chosen));
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text1"), "201");
    clickSave(w);
    const std::uint32_t at = recordPosition(tables::weapons, chosen).value();
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(at, 1));
    QCOMPARE(s.image.bytesAt(at, 1), Bytes{201});
    QVERIFY(bar(w).contains(list->item(chosen)->text()));
}

void FilterTest::aNumberFindsTheIndexDecimalOrHex()
{
    Session s;
    QWidget* w = openMonster(s);
    auto* list = child<QListWidget>(w, "List1");
    typeInto(filterOf(w), "0A");
    QCOMPARE(shownRows(list), QList<int>{10});
    typeInto(filterOf(w), "10");
    QCOMPARE(shownRows(list), (QList<int>{10, 16}));
    // the keyboard walks the entries shown, each read by its own index
    clickRow(list, 10);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(bar(w), QString("Monster Number 16"));
    click(w, "Command4");
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "s2"), "42");
    click(w, "Save2");
    const std::uint32_t level = recordPosition(tables::enemyStats, 16).value() + tables::enemyStats.field("s2")->offset;
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(level, 1));
    QCOMPARE(bar(w), QString("Saved -- 10 - Enemy 10 -- to ROM."));
}

void FilterTest::emptyingShowsAllAndKeepsTheSelection()
{
    Session s;
    QWidget* w = s.openEditor(8, "Chests");
    auto* list = child<QListWidget>(w, "List1");
    clickRow(list, 200);
    const QString shownBar = bar(w);
    typeInto(filterOf(w), "7");  // entry 200 is hidden now, yet still the one shown
    QVERIFY(list->item(200)->isHidden());
    QCOMPARE(bar(w), shownBar);
    QCOMPARE(selectedRow(list), 200);
    typeInto(filterOf(w), "");
    QCOMPARE(shownRows(list).size(), list->count());
    QCOMPARE(selectedRow(list), 200);
    QCOMPARE(list->currentRow(), 200);
    QCOMPARE(bar(w), shownBar);
    // and Save still writes the entry shown
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "c1"), "3");
    clickSave(w);
    QVERIFY(onlyWithin(before, s.image.bytes(), recordPosition(tables::chests, 200).value(), 4));
    QVERIFY(before != s.image.bytes());
}

void FilterTest::oneFilterServesBothEnemyLists()
{
    Session s;
    QWidget* w = openMonster(s);
    typeInto(filterOf(w), "3F");
    child<QCheckBox>(w, "preread")->click();
    auto* list2 = child<QListWidget>(w, "List2");
    QVERIFY(list2->isVisible());
    QVERIFY(shownRows(list2).contains(0x3F));
    for (int row : shownRows(list2))
        QVERIFY(row == 0x3F || list2->item(row)->text().contains("3F", Qt::CaseInsensitive));
    clickRow(list2, 0x3F);
    QCOMPARE(bar(w), QString("Monster Number 63"));
    QCOMPARE(w->findChildren<QLineEdit*>("Filter").size(), 1);
}

void FilterTest::theGatoWindowSavesTheFilteredChoice()
{
    Session s;
    QWidget* w = openGato(s);
    auto* list = child<QListWidget>(w, "List1");
    typeInto(filterOf(w), "c8");
    QCOMPARE(shownRows(list), QList<int>{0xC8});
    clickRow(list, 0xC8);
    const Bytes before = s.image.bytes();
    click(w, "Save");
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(tables::gatoSlot.base, 1));
    QCOMPARE(s.image.bytesAt(tables::gatoSlot.base, 1), Bytes{0xC8});
}

QTEST_MAIN(FilterTest)
#include "test_filters.moc"
