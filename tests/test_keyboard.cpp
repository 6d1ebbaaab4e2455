#include "tests/enemy_steps.h"

#include "rom/tables.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSet>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

// presses keys in an editor as a user would: the window active, the focus
// where the user left it
void press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void waitForDeletion(QWidget* w)
{
    QPointer<QWidget> watched(w);
    QTRY_VERIFY(watched.isNull());
}

// the control a focused widget belongs to (an editable drop-down's own edit)
QWidget* controlOf(QWidget* w)
{
    return w && qobject_cast<QComboBox*>(w->parentWidget()) ? w->parentWidget() : w;
}

// Whether `b` is seen after `a`: compared as the children of their nearest
// common parent that hold them, row by row from the top, left to right.
bool seenAfter(QWidget* a, QWidget* b)
{
    QList<QWidget*> aChain;
    for (QWidget* p = a; p; p = p->parentWidget())
        aChain << p;
    QWidget* cb = b;
    while (cb->parentWidget() && !aChain.contains(cb->parentWidget()))
        cb = cb->parentWidget();
    QWidget* common = cb->parentWidget();
    QWidget* ca = aChain[aChain.indexOf(common) - 1];
    const QRect ra = ca->geometry();
    const QRect rb = cb->geometry();
    const bool sameRow = rb.center().y() >= ra.top() && rb.center().y() <= ra.bottom();
    return sameRow ? rb.left() > ra.left() : rb.center().y() > ra.center().y();
}

// The controls in the order Tab visits them, from the first one shown.
QList<QWidget*> tabCycle(QWidget* window)
{
    QWidget* first = window->nextInFocusChain();
    while (first != window && !(first->isVisible() && first->isEnabled() && (first->focusPolicy() & Qt::TabFocus)))
        first = first->nextInFocusChain();
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> cycle{controlOf(QApplication::focusWidget())};
    for (int i = 0; i < 200; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = controlOf(QApplication::focusWidget());
        if (now == cycle.first())
            break;
        cycle << now;
    }
    return cycle;
}

// every control a user can reach with Tab now
QSet<QWidget*> reachable(QWidget* window)
{
    QSet<QWidget*> out;
    for (QWidget* c : window->findChildren<QWidget*>())
        if (c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus) && controlOf(c) == c)
            out << c;
    return out;
}

void checkTabOrder(QWidget* window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QList<QWidget*> cycle = tabCycle(window);
    // Tab runs round: exactly one step goes back up, from the last control seen to the first
    QStringList backwards;
    for (qsizetype i = 0; i < cycle.size(); ++i) {
        QWidget* before = cycle[(i + cycle.size() - 1) % cycle.size()];
        if (!seenAfter(before, cycle[i]))
            backwards << before->objectName() + " then " + cycle[i]->objectName();
    }
    QVERIFY2(backwards.size() == 1, qPrintable(window->objectName() + ": " + backwards.join(", ")));
    QCOMPARE(QSet<QWidget*>(cycle.begin(), cycle.end()), reachable(window));
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void ctrlSSavesTheShownRecord_data();
    void ctrlSSavesTheShownRecord();
    void ctrlSInTheEnemyWindowSavesTheVisiblePage();
    void ctrlSInTheGatoWindowSavesTheChoice();
    void ctrlWAndEscapeCloseAnEditor_data();
    void ctrlWAndEscapeCloseAnEditor();
    void tabFollowsWhatIsSeen();
};

void KeyboardTest::ctrlSSavesTheShownRecord_data()
{
    QTest::addColumn<int>("editor");  // row of the main window's list
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("field");
    QTest::addColumn<const Table*>("table");
    QTest::newRow("characters") << 0 << "Character" << 5 << "Text4" << &tables::characterSprites;
    QTest::newRow("NPCs") << 1 << "NPC" << 200 << "Text1" << &tables::npcSprites;
    QTest::newRow("weapons") << 3 << "Weapon" << 40 << "Text3" << &tables::weapons;
    QTest::newRow("armor") << 4 << "Armor" << 12 << "Text1" << &tables::armor;
    QTest::newRow("accessories") << 5 << "Accessory" << 9 << "ValueOfEffect" << &tables::accessoryEffects;
    QTest::newRow("item secondary") << 6 << "Item2" << 100 << "Text3" << &tables::itemSecondary;
    QTest::newRow("consumables (a word)") << 7 << "KeyItemandConsumables" << 30 << "Text1" << &tables::consumables;
    QTest::newRow("chests") << 8 << "Chests" << 77 << "c2" << &tables::chests;
}

void KeyboardTest::ctrlSSavesTheShownRecord()
{
    QFETCH(int, editor);
    QFETCH(QString, window);
    QFETCH(int, entry);
    QFETCH(QString, field);
    QFETCH(const Table*, table);
    Session s;
    QWidget* w = s.openEditor(editor, window);
    clickRow(child<QListWidget>(w, "List1"), entry);
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, field), "123");
    QCOMPARE(s.image.bytes(), before);
    press(w, Qt::Key_S, Qt::ControlModifier);
    const Field* f = table->field(field.toStdString());
    const std::uint32_t at = recordPosition(*table, entry).value() + f->offset;
    const Bytes expected = f->width == Width::Word ? Bytes{123, 0} : Bytes{123};
    QCOMPARE(s.image.bytesAt(at, expected.size()), expected);
    QVERIFY(onlyWithin(before, s.image.bytes(), at, expected.size()));
    QVERIFY(before != s.image.bytes());
    QVERIFY2(s.platform.messages.isEmpty(), qPrintable(s.platform.messages.join('\n')));
}

void KeyboardTest::ctrlSInTheEnemyWindowSavesTheVisiblePage()
{
    Session s;
    QWidget* w = openMonsterOn(s, 0x21);
    click(w, "Command4");  // the stats page
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "s9"), "99");
    typeInto(child<QLineEdit>(w, "Text2"), "7");  // on the hidden sprite creation page
    press(w, Qt::Key_S, Qt::ControlModifier);
    const std::uint32_t speed = recordPosition(tables::enemyStats, 0x21).value() + tables::enemyStats.field("s9")->offset;
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(speed, 1));
    QCOMPARE(s.image.bytesAt(speed, 1), Bytes{99});

    click(w, "Command1");
    press(w, Qt::Key_S, Qt::ControlModifier);
    const std::uint32_t animation = recordPosition(tables::enemySpriteCreation, 0x21).value() + 1;
    QCOMPARE(s.image.bytesAt(animation, 1), Bytes{7});
    QVERIFY(bar(w).startsWith("Saved -- 21 - Enemy 21"));
}

void KeyboardTest::ctrlSInTheGatoWindowSavesTheChoice()
{
    Session s;
    s.mainWindow()->findChild<QAction*>("Gato1")->trigger();
    QWidget* w = s.shell().windows().find("Gato");
    clickRow(child<QListWidget>(w, "List1"), 0x42);
    const Bytes before = s.image.bytes();
    press(w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(tables::gatoSlot.base, 1));
    QCOMPARE(s.image.bytesAt(tables::gatoSlot.base, 1), Bytes{0x42});
}

void KeyboardTest::ctrlWAndEscapeCloseAnEditor_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
}

void KeyboardTest::ctrlWAndEscapeCloseAnEditor()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Session s;
    const QStringList names{"Character", "NPC", "Monster", "Weapon", "Armor",
                            "Accessory", "Item2", "KeyItemandConsumables", "Chests"};
    for (int i = 0; i < names.size(); ++i) {
        QWidget* w = s.openEditor(i, names[i]);
        const Bytes before = s.image.bytes();
        press(w, key, Qt::KeyboardModifiers(modifiers));
        waitForDeletion(w);
        QVERIFY(!s.shell().windows().find(names[i]));
        QCOMPARE(s.image.bytes(), before);  // closing saves nothing
    }
    s.mainWindow()->findChild<QAction*>("Gato1")->trigger();
    QWidget* gato = s.shell().windows().find("Gato");
    press(gato, key, Qt::KeyboardModifiers(modifiers));
    waitForDeletion(gato);
    QVERIFY(s.mainWindow()->isVisible());
}

void KeyboardTest::tabFollowsWhatIsSeen()
{
    Session s;
    const QStringList names{"Character", "NPC", "Monster", "Weapon", "Armor",
                            "Accessory", "Item2", "KeyItemandConsumables", "Chests"};
    for (int i = 0; i < names.size(); ++i) {
        QWidget* w = s.openEditor(i, names[i]);
        clickRow(child<QListWidget>(w, "List1"), 1);
        checkTabOrder(w);
        for (const char* page : {"Command4", "Command5", "Command6"}) {
            if (auto* selector = child<QPushButton>(w, page)) {
                selector->click();
                checkTabOrder(w);
            }
        }
        w->close();
    }
    s.mainWindow()->findChild<QAction*>("Gato1")->trigger();
    checkTabOrder(s.shell().windows().find("Gato"));
}

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
