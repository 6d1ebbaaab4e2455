#include "tests/support/test_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
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

QTEST_MAIN(AccessibleNamesTest)
#include "test_accessible_names.moc"
