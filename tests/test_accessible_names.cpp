#include "tests/support/test_support.h"

#include "rom/tables.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace {

// What the user reads beside a control: a check box's own text, else the
// label that names it as its buddy (without a closing colon), else the title
// of the frame it lies in, else the hint inside an empty field.
QString shownCaption(QWidget* control)
{
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return box->text();
    QWidget* parent = control->parentWidget();
    for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == control) {
            QString text = label->text();
            while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            return text;
        }
    if (auto* frame = qobject_cast<QGroupBox*>(parent))
        return frame->title().replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->placeholderText();
    return {};
}

// Walks the accessible tree from `node` as a screen reader would, checking
// every entry field, drop-down and check box shown: its name is announced and
// is its caption. Returns the faults and counts the controls seen.
void walk(QAccessibleInterface* node, const QString& where, QStringList& faults, QSet<QWidget*>& seen)
{
    auto* widget = qobject_cast<QWidget*>(node->object());
    if (widget && widget->isHidden())
        return;  // hidden itself: not shown, not announced
    const QAccessible::Role role = node->role();
    if (widget
        && (role == QAccessible::EditableText || role == QAccessible::ComboBox || role == QAccessible::CheckBox)) {
        seen.insert(widget);
        const QString name = node->text(QAccessible::Name);
        const QString caption = shownCaption(widget);
        if (name.isEmpty() || name != caption)
            faults << QStringLiteral("%1 %2: announced as \"%3\", captioned \"%4\"")
                          .arg(where, widget->objectName(), name, caption);
        if (role == QAccessible::ComboBox)
            return;  // its edit part and its list are announced as the drop-down
    }
    if (qobject_cast<QAbstractItemView*>(widget))
        return;  // rows of a list, not fields
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            walk(child, where, faults, seen);
}

void walkWindow(QWidget* window, const QString& where, QStringList& faults, QSet<QWidget*>& seen)
{
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
    QVERIFY(root);
    walk(root, where, faults, seen);
}

}  // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT
private slots:
    void everyFieldIsAnnouncedByItsCaption_data();
    void everyFieldIsAnnouncedByItsCaption();
    void everyListAndTableIsAnnouncedByItsCaption();
    void gridCellsTellTheReaderWhatTheirColourShows();
};

void AccessibleNamesTest::everyFieldIsAnnouncedByItsCaption_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("listIndex");  // in the main window's editor list; -1: the Gato menu entry
    QTest::addColumn<QStringList>("pages");  // the buttons that show the window's other pages
    QTest::addColumn<int>("rows");  // entries to visit: a window may show other controls for another entry
    QTest::addColumn<int>("fields");  // entry fields, drop-downs and check boxes the walk must meet at least
    QTest::newRow("Character") << "Character" << 0 << QStringList{} << 1 << 5;
    QTest::newRow("NPC") << "NPC" << 1 << QStringList{} << 1 << 6;
    QTest::newRow("Monster") << "Monster" << 2
                             << QStringList{"Command1", "Command4", "Command5", "Command6"} << 1 << 41;
    QTest::newRow("Weapon") << "Weapon" << 3 << QStringList{} << 1 << 6;
    QTest::newRow("Armor") << "Armor" << 4 << QStringList{} << 1 << 4;
    QTest::newRow("Accessory") << "Accessory" << 5 << QStringList{} << 1 << 36;
    QTest::newRow("Item2") << "Item2" << 6 << QStringList{} << 1 << 20;
    QTest::newRow("KeyItemandConsumables") << "KeyItemandConsumables" << 7 << QStringList{} << 1 << 10;
    // the chest types take turns on the first entries: each value control is shown once
    QTest::newRow("Chests") << "Chests" << 8 << QStringList{} << 4 << 10;
    QTest::newRow("Gato") << "Gato" << -1 << QStringList{} << 1 << 2;
}

void AccessibleNamesTest::everyFieldIsAnnouncedByItsCaption()
{
    QFETCH(QString, window);
    QFETCH(int, listIndex);
    QFETCH(QStringList, pages);
    QFETCH(int, rows);
    QFETCH(int, fields);
    Session s;
    QWidget* w = nullptr;
    if (listIndex >= 0) {
        w = s.openEditor(listIndex, window);
    } else {
        s.mainWindow()->findChild<QAction*>(QStringLiteral("Gato1"))->trigger();
        w = s.shell().windows().find(window);
    }
    QVERIFY(w);
    QStringList faults;
    QSet<QWidget*> seen;
    auto* list = child<QListWidget>(w, QStringLiteral("List1"));
    for (int row = 0; row < rows; ++row) {
        if (list && row < list->count())
            clickRow(list, row);
        if (pages.isEmpty())
            walkWindow(w, window, faults, seen);
        for (const QString& page : pages) {
            child<QAbstractButton>(w, page)->click();
            walkWindow(w, window + QLatin1Char('/') + page, faults, seen);
        }
    }
    faults.removeDuplicates();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    QVERIFY2(seen.size() >= fields, qPrintable(QStringLiteral("%1 controls walked").arg(seen.size())));
}

namespace {

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* node = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    return node ? node->text(QAccessible::Name) : QStringLiteral("(none)");
}

// every list and table of a window, with the name a screen reader announces
QStringList viewNames(QWidget* window)
{
    QStringList names;
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>())
        if (view->window() == window && !qobject_cast<QHeaderView*>(view))  // not a drop-down's popup, not a header
            names << view->objectName() + QLatin1Char('=') + accessibleName(view);
    names.sort();
    return names;
}

}  // namespace

void AccessibleNamesTest::everyListAndTableIsAnnouncedByItsCaption()
{
    Session s;
    const QString other = QFileInfo(s.image.path()).dir().filePath(QStringLiteral("other.sfc"));
    QVERIFY(QFile::copy(s.image.path(), other));
    QCOMPARE(viewNames(s.mainWindow()), QStringList{QStringLiteral("List1=Editors")});
    // an editor's entry list is named by the editor's caption (its title)
    const struct {
        int listIndex;
        const char* window;
        QStringList lists;
    } editors[] = {
        {0, "Character", {"List1"}}, {1, "NPC", {"List1"}},   {2, "Monster", {"List1", "List2"}},
        {3, "Weapon", {"List1"}},    {4, "Armor", {"List1"}}, {5, "Accessory", {"List1"}},
        {6, "Item2", {"List1"}},     {7, "KeyItemandConsumables", {"List1"}}, {8, "Chests", {"List1"}},
    };
    for (const auto& editor : editors) {
        QWidget* w = s.openEditor(editor.listIndex, QString::fromLatin1(editor.window));
        QVERIFY(w);
        QStringList expected;
        for (const QString& list : editor.lists)
            expected << list + QLatin1Char('=') + w->windowTitle().trimmed();
        QCOMPARE(viewNames(w), expected);
    }
    s.mainWindow()->findChild<QAction*>(QStringLiteral("Gato1"))->trigger();
    QWidget* gato = s.shell().windows().find(QStringLiteral("Gato"));
    const QString gatoTitle = gato->windowTitle();
    QCOMPARE(viewNames(gato), (QStringList{"List1=" + gatoTitle.trimmed(), "List2=" + gatoTitle.trimmed()}));

    s.platform.openAnswers << other;
    s.mainWindow()->findChild<QAction*>(QStringLiteral("Compare"))->trigger();
    QCOMPARE(viewNames(s.shell().windows().find(QStringLiteral("Compare"))), QStringList{"CompareList=Differences"});
    s.mainWindow()->findChild<QAction*>(QStringLiteral("History"))->trigger();
    QCOMPARE(viewNames(s.shell().windows().find(QStringLiteral("History"))), QStringList{"HistoryList=History"});
    s.mainWindow()->findChild<QAction*>(QStringLiteral("RestorePoints"))->trigger();
    QCOMPARE(viewNames(s.shell().windows().find(QStringLiteral("RestorePoints"))),
             QStringList{"RestoreList=Restore Points"});

    // the grid's table by the table it shows, its drop-down by its caption
    s.mainWindow()->findChild<QAction*>(QStringLiteral("TableGrid"))->trigger();
    QWidget* grid = s.shell().windows().find(QStringLiteral("Grid"));
    auto* tables = child<QComboBox>(grid, QStringLiteral("GridTable"));
    QCOMPARE(viewNames(grid), QStringList{"GridView=" + tables->currentText()});
    QCOMPARE(accessibleName(tables), QStringLiteral("Table"));
    QCOMPARE(QAccessible::queryAccessibleInterface(tables)->text(QAccessible::Value), tables->currentText());
    tables->setCurrentIndex(tables->findData(QStringLiteral("weapons")));
    QCOMPARE(viewNames(grid), QStringList{"GridView=" + tables->currentText()});
}

void AccessibleNamesTest::gridCellsTellTheReaderWhatTheirColourShows()
{
    Session s;
    const std::uint32_t keyItem = *recordPosition(tables::itemSecondary, 3) + tables::itemSecondary.field("KeyItem")->offset;
    s.image.poke(keyItem, {0x08});
    s.mainWindow()->findChild<QAction*>(QStringLiteral("TableGrid"))->trigger();
    QWidget* grid = s.shell().windows().find(QStringLiteral("Grid"));
    auto* view = child<QAbstractItemView>(grid, QStringLiteral("GridView"));
    auto* tables = child<QComboBox>(grid, QStringLiteral("GridTable"));
    tables->setCurrentIndex(tables->findData(QStringLiteral("item-secondary")));
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(view)->tableInterface();
    QVERIFY(table);
    auto columnOf = [view](const QString& caption) {
        for (int c = 0; c < view->model()->columnCount(); ++c)
            if (view->model()->headerData(c, Qt::Horizontal).toString() == caption)
                return c;
        return -1;
    };
    // a bit on and a bit off: both checkable, each named by its state
    const int key = columnOf(QStringLiteral("Key Item"));
    const int battle = columnOf(QStringLiteral("Use in Battle"));
    QVERIFY(key > 0 && battle > 0);
    QAccessibleInterface* on = table->cellAt(3, key);
    QAccessibleInterface* off = table->cellAt(3, battle);
    QVERIFY(on->state().checkable && on->state().checked);
    QVERIFY(off->state().checkable && !off->state().checked);
    QCOMPARE(on->text(QAccessible::Name), QStringLiteral("on"));
    QCOMPARE(off->text(QAccessible::Name), QStringLiteral("off"));

    // an edited cell and a refused one say so in their description
    tables->setCurrentIndex(tables->findData(QStringLiteral("weapons")));
    table = QAccessible::queryAccessibleInterface(view)->tableInterface();
    const int attack = columnOf(QStringLiteral("Attack"));
    const QString read = view->model()->index(4, attack).data().toString();
    grid->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(grid));
    auto typeIn = [view](int row, int column, const QString& text) {
        view->setCurrentIndex(view->model()->index(row, column));
        QTest::keyClick(view, text.at(0).toLatin1());  // typing over the cell opens its editor
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && view->isAncestorOf(editor));
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    };
    typeIn(4, attack, QStringLiteral("12"));
    QCOMPARE(table->cellAt(4, attack)->text(QAccessible::Description), QStringLiteral("Edited, not saved; read: ") + read);
    typeIn(5, attack, QStringLiteral("12x"));
    const QString reason = view->model()->index(5, attack).data(Qt::ToolTipRole).toString();
    QVERIFY(!reason.isEmpty());
    QCOMPARE(table->cellAt(5, attack)->text(QAccessible::Description), QStringLiteral("Refused: ") + reason);
    // the status line the refusal is announced from names the reason (the
    // alert itself is not seen here: without an accessibility bridge, as
    // offscreen, Qt drops every event before any handler)
    QVERIFY(accessibleName(child<QLabel>(grid, QStringLiteral("bar"))).contains(reason));
}

QTEST_MAIN(AccessibleNamesTest)
#include "test_accessible_names.moc"
