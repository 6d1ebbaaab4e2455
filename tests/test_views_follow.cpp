#include "tests/support/test_support.h"

#include "editors/common/labels.h"
#include "rom/tables.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

// An editor open on a record that another writer changes (the compare
// window's Take Value, an undo, a restore): it shows the new values and names
// the writer, or keeps the user's unsaved edits and says so.

namespace {

std::uint32_t at(const Table& table, int index, int offset) { return table.base + index * table.recordSize + offset; }

void trigger(Session& s, const char* name)
{
    auto* action = s.mainWindow()->findChild<QAction*>(name);
    QVERIFY2(action && action->isEnabled(), name);
    action->trigger();
}

QString bar(QWidget* w) { return child<QLabel>(w, QStringLiteral("bar"))->text(); }

QWidget* weaponOn(Session& s, int index)
{
    QWidget* weapon = s.openEditor(3, QStringLiteral("Weapon"));
    if (weapon)
        clickRow(child<QListWidget>(weapon, QStringLiteral("List1")), index);
    return weapon;
}

}  // namespace

class ViewsFollowTest : public QObject {
    Q_OBJECT
private slots:
    void takeValueShowsInAnOpenEditorOrKeepsItsEdits();
    void undoAndRestoreNameTheirWriter();
};

void ViewsFollowTest::takeValueShowsInAnOpenEditorOrKeepsItsEdits()
{
    Session s;
    s.image.poke(at(tables::weapons, 4, 0), {98, 0, 10});
    const QString other = QFileInfo(s.image.path()).dir().filePath(QStringLiteral("other.sfc"));
    QFile::remove(other);
    QVERIFY(QFile::copy(s.image.path(), other));
    QVERIFY(RomImage(other.toStdString()).write(at(tables::weapons, 4, 0), Bytes{17, 0, 20}));
    QWidget* weapon = weaponOn(s, 4);
    auto* attack = child<QLineEdit>(weapon, QStringLiteral("Text1"));
    auto* critical = child<QLineEdit>(weapon, QStringLiteral("Text3"));
    QCOMPARE(attack->text(), QStringLiteral("98"));

    s.platform.openAnswers << other;
    trigger(s, "Compare");
    QWidget* compare = s.shell().windows().find(QStringLiteral("Compare"));
    QVERIFY(compare);
    auto* list = child<QListWidget>(compare, QStringLiteral("CompareList"));
    QVERIFY2(list->count() == 3 && list->item(1)->text().endsWith(QStringLiteral("Attack: 98 -> 17")),
             qPrintable(list->item(1)->text()));
    clickRow(list, 1);
    const Bytes before = s.image.bytes();
    QTest::mouseClick(child<QPushButton>(compare, QStringLiteral("TakeValue")), Qt::LeftButton);
    QCOMPARE(changedOffsets(before, s.image.bytes()), offsetRange(at(tables::weapons, 4, 0), 1));
    QCOMPARE(s.image.bytesAt(at(tables::weapons, 4, 0), 3), (Bytes{17, 0, 10}));
    // the editor shows what the file holds, and who wrote it
    QCOMPARE(attack->text(), QStringLiteral("17"));
    QVERIFY2(bar(weapon).startsWith(QStringLiteral("Take Value -- ")), qPrintable(bar(weapon)));
    // so that its own Save goes through without a question
    typeInto(critical, QStringLiteral("11"));
    clickSave(weapon);
    QVERIFY(s.platform.questions.isEmpty());
    QCOMPARE(s.image.bytesAt(at(tables::weapons, 4, 0), 3), (Bytes{17, 0, 11}));

    // with unsaved typing the editor keeps it and says so
    typeInto(attack, QStringLiteral("50"));
    QCOMPARE(list->count(), 2);
    clickRow(list, 1);  // Critical Hit %: 11 -> 20
    QTest::mouseClick(child<QPushButton>(compare, QStringLiteral("TakeValue")), Qt::LeftButton);
    const Bytes taken = s.image.bytes();
    QCOMPARE(s.image.bytesAt(at(tables::weapons, 4, 0), 3), (Bytes{17, 0, 20}));
    QCOMPARE(attack->text(), QStringLiteral("50"));
    QCOMPARE(critical->text(), QStringLiteral("11"));
    QVERIFY2(bar(weapon).startsWith(QStringLiteral("Take Value changed ")) && bar(weapon).contains(QStringLiteral("kept")),
             qPrintable(bar(weapon)));
    // its Save then finds the change and asks, as the status line told
    s.platform.askAnswers << false;
    clickSave(weapon);
    QCOMPARE(s.platform.questions.size(), 1);
    QVERIFY(s.platform.questions[0].contains(QStringLiteral("was changed")));
    QCOMPARE(s.image.bytes(), taken);
}

void ViewsFollowTest::undoAndRestoreNameTheirWriter()
{
    Session s;
    QWidget* weapon = weaponOn(s, 4);
    auto* attack = child<QLineEdit>(weapon, QStringLiteral("Text1"));
    const QString original = attack->text();
    typeInto(attack, QStringLiteral("120"));
    clickSave(weapon);
    const Bytes saved = s.image.bytes();

    // an undo over unsaved typing keeps the typing and says so
    typeInto(attack, QStringLiteral("77"));
    trigger(s, "UndoSave");
    QCOMPARE(s.image.bytesAt(at(tables::weapons, 4, 0), 1), Bytes{std::uint8_t(original.toInt())});
    QCOMPARE(attack->text(), QStringLiteral("77"));
    QVERIFY2(bar(weapon).startsWith(QStringLiteral("Undo Save changed ")), qPrintable(bar(weapon)));
    // a redo of a window without edits reads again
    clickRow(child<QListWidget>(weapon, QStringLiteral("List1")), 5);
    clickRow(child<QListWidget>(weapon, QStringLiteral("List1")), 4);
    trigger(s, "RedoSave");
    QCOMPARE(attack->text(), QStringLiteral("120"));
    QVERIFY2(bar(weapon).startsWith(QStringLiteral("Redo Save -- ")), qPrintable(bar(weapon)));

    // a restore names the restore
    trigger(s, "RestorePoints");
    QWidget* points = s.shell().windows().find(QStringLiteral("RestorePoints"));
    QVERIFY(points);
    clickRow(child<QListWidget>(points, QStringLiteral("RestoreList")), 0);
    s.platform.askAnswers << true;
    clickSave(points, QStringLiteral("Restore"));
    QVERIFY(s.image.bytes() != saved);
    QCOMPARE(attack->text(), original);
    QVERIFY2(bar(weapon).startsWith(QStringLiteral("Restore -- ")), qPrintable(bar(weapon)));
}

QTEST_MAIN(ViewsFollowTest)
#include "test_views_follow.moc"
