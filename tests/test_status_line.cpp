#include "tests/support/test_support.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

// The windows that open with an entry selected: a click on that entry, the
// first one after opening or one after a Save, shows the entry's number in
// the status line as a click on any other entry does, and reads nothing again.
class StatusLineTest : public QObject {
    Q_OBJECT
private slots:
    void clickOnTheSelectedEntryShowsItsNumber_data();
    void clickOnTheSelectedEntryShowsItsNumber();
};

void StatusLineTest::clickOnTheSelectedEntryShowsItsNumber_data()
{
    QTest::addColumn<int>("editor");  // row of the main window's editor list; -1 for Other > Gato
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("field");  // a field whose edit must survive the click; "" for none
    QTest::addColumn<QString>("caption");
    QTest::newRow("characters") << 0 << "Character" << "Text1" << "Character Number 0";
    QTest::newRow("NPCs") << 1 << "NPC" << "Text1" << "NPC Number 0";
    QTest::newRow("weapons") << 3 << "Weapon" << "Text1" << "Weapon Number 0";
    QTest::newRow("armor") << 4 << "Armor" << "Text1" << "Armor Number 0";
    QTest::newRow("item secondary") << 6 << "Item2" << "Text2" << "Now editing {Null} - Item # 0";
    QTest::newRow("consumables, opening on a hint") << 7 << "KeyItemandConsumables" << "Text1"
                                                    << "Key and Consumable Item Number 0";
    QTest::newRow("chests") << 8 << "Chests" << "c1" << "Chest Number 0";
    QTest::newRow("gato") << -1 << "Gato" << "" << "Monster Number 146";  // the slot holds 0x92
}

void StatusLineTest::clickOnTheSelectedEntryShowsItsNumber()
{
    QFETCH(int, editor);
    QFETCH(QString, window);
    QFETCH(QString, field);
    QFETCH(QString, caption);
    Session s;
    QWidget* w = nullptr;
    if (editor >= 0) {
        w = s.openEditor(editor, window);
    } else {
        s.mainWindow()->findChild<QAction*>(QStringLiteral("Gato1"))->trigger();
        w = s.shell().windows().find(window);
    }
    QVERIFY(w);
    auto* list = child<QListWidget>(w, "List1");
    auto* bar = child<QLabel>(w, "bar");
    const int row = list->currentRow();
    QVERIFY(list->item(row)->isSelected());

    if (!field.isEmpty())
        typeInto(child<QLineEdit>(w, field), "7");
    clickRow(list, row);
    QCOMPARE(bar->text(), caption);
    if (!field.isEmpty())
        QCOMPARE(child<QLineEdit>(w, field)->text(), QString("7"));  // not read again over the edit

    clickSave(w);
    QVERIFY2(bar->text().startsWith("Saved") || bar->text().startsWith("Gato is now"), qPrintable(bar->text()));
    clickRow(list, row);
    QCOMPARE(bar->text(), caption);
    QVERIFY(s.platform.messages.isEmpty());
}

QTEST_MAIN(StatusLineTest)
#include "test_status_line.moc"
