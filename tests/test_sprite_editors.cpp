#include "tests/support/test_support.h"

#include "rom/tables.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

class SpriteEditorsTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnFirstEntry_data();
    void opensOnFirstEntry();
    void savesExactlyTheEditedRecord_data();
    void savesExactlyTheEditedRecord();
    void fieldsKeepInRangeWhileTyping();
    void numberTooSmallForADoubleIsNearlyZero();
    void unsavedEditIsDiscardedBySelectingAnotherEntry();
    void refusedSaveWritesNothing();
    void failedReadLeavesNothingToSave();
};

void SpriteEditorsTest::opensOnFirstEntry_data()
{
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("firstEntry");
    QTest::addColumn<QString>("bar");
    QTest::addColumn<int>("base");
    QTest::newRow("characters") << 0 << "Character" << "Character " << 7 << "PC 1" << "Character Number 0" << 0x24F200;
    QTest::newRow("NPCs") << 1 << "NPC" << "NPC " << 256 << "00 NPC 00" << "NPC Number 0" << 0x24F223;
}

void SpriteEditorsTest::opensOnFirstEntry()
{
    QFETCH(int, listIndex);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(int, entries);
    QFETCH(QString, firstEntry);
    QFETCH(QString, bar);
    QFETCH(int, base);
    Session s;
    QWidget* w = s.openEditor(listIndex, window);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), caption);
    auto* list = child<QListWidget>(w, "List1");
    QCOMPARE(list->count(), entries);
    QCOMPARE(list->item(0)->text(), firstEntry);
    QCOMPARE(child<QLabel>(w, "bar")->text(), bar);
    const Bytes record = s.image.bytesAt(base, 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text%1").arg(i + 1))->text(), QString::number(record[i]));
    QVERIFY(s.platform.messages.isEmpty());
}

void SpriteEditorsTest::savesExactlyTheEditedRecord_data()
{
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("bar");
    // the last character and the first NPC are neighbours in one table
    QTest::newRow("PC 7") << 0 << "Character" << 6 << 0x24F21E << "Saved -- PC 7 -- to ROM.";
    QTest::newRow("PC 2") << 0 << "Character" << 1 << 0x24F205 << "Saved -- PC 2 -- to ROM.";
    QTest::newRow("NPC 00") << 1 << "NPC" << 0 << 0x24F223 << "Saved -- 00 NPC 00 -- to ROM.";
    QTest::newRow("NPC FF") << 1 << "NPC" << 255 << 0x24F71E << "Saved -- FF NPC FF -- to ROM.";
}

void SpriteEditorsTest::savesExactlyTheEditedRecord()
{
    QFETCH(int, listIndex);
    QFETCH(QString, window);
    QFETCH(int, row);
    QFETCH(int, position);
    QFETCH(QString, bar);
    Session s;
    QWidget* w = s.openEditor(listIndex, window);
    clickRow(child<QListWidget>(w, "List1"), row);
    const Bytes before = s.image.bytes();

    // saving untouched rewrites the same bytes
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(child<QLabel>(w, "bar")->text(), bar);

    const QStringList typed{"1", "22", "133", "254", "0"};
    for (int i = 0; i < 5; ++i)
        typeInto(child<QLineEdit>(w, QStringLiteral("Text%1").arg(i + 1)), typed[i]);
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    const Bytes after = s.image.bytes();
    QCOMPARE(s.image.bytesAt(position, 5), (Bytes{1, 22, 133, 254, 0}));
    for (std::size_t offset : changedOffsets(before, after))
        QVERIFY2(offset >= std::size_t(position) && offset < std::size_t(position) + 5, "a byte outside the record changed");
    QVERIFY(s.platform.messages.isEmpty());
}

void SpriteEditorsTest::fieldsKeepInRangeWhileTyping()
{
    Session s;
    QWidget* w = s.openEditor(0, "Character");
    auto* field = child<QLineEdit>(w, "Text1");
    typeInto(field, "300");
    QCOMPARE(field->text(), QString("255"));
    typeInto(field, "");
    QCOMPARE(field->text(), QString("0"));
    typeInto(field, "&HFF");
    QCOMPARE(field->text(), QString("255"));
    typeInto(field, "254");
    QCOMPARE(field->text(), QString("254"));
}

void SpriteEditorsTest::numberTooSmallForADoubleIsNearlyZero()
{
    Session s;
    QWidget* w = s.openEditor(0, "Character");
    const Bytes before = s.image.bytes();
    auto* field = child<QLineEdit>(w, "Text1");
    typeInto(field, "1e-999");
    QCOMPARE(field->text(), QString("1e-999"));
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(s.image.bytesAt(0x24F200, 1), Bytes{0});
    QCOMPARE(changedOffsets(before, s.image.bytes()), before[0x24F200] == 0 ? std::vector<std::size_t>{} : offsetRange(0x24F200, 1));
}

void SpriteEditorsTest::unsavedEditIsDiscardedBySelectingAnotherEntry()
{
    Session s;
    QWidget* w = s.openEditor(0, "Character");
    auto* list = child<QListWidget>(w, "List1");
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text3"), "77");
    clickRow(list, 3);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("Character Number 3"));
    clickRow(list, 0);
    QCOMPARE(child<QLineEdit>(w, "Text3")->text(), QString::number(before[0x24F200 + 2]));
    QCOMPARE(s.image.bytes(), before);
}

void SpriteEditorsTest::refusedSaveWritesNothing()
{
    Session s;
    QWidget* w = s.openEditor(1, "NPC");
    const Bytes before = s.image.bytes();
    typeInto(child<QLineEdit>(w, "Text2"), "-3");
    typeInto(child<QLineEdit>(w, "Text4"), "abc");
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QCOMPARE(s.image.bytes(), before);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains("Sprite Starting Animation"));
    QVERIFY(s.platform.messages[0].contains("0 to 255"));
    QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QString("abc"));
    QCOMPARE(child<QLabel>(w, "bar")->text().left(37), QString("Not saved: Sprite Starting Animation "));
}

void SpriteEditorsTest::failedReadLeavesNothingToSave()
{
    Session s;
    QWidget* w = s.openEditor(1, "NPC");
    // the image shrinks under the editor: the last NPC record no longer fits
    QFile::resize(s.image.path(), 0x24F720);
    clickRow(child<QListWidget>(w, "List1"), 255);
    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].contains(s.image.path()));
    const Bytes shrunk = s.image.bytes();
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QCOMPARE(s.image.bytes(), shrunk);
    QCOMPARE(s.platform.messages.size(), 2);
    QVERIFY(!child<QLabel>(w, "bar")->text().startsWith("Saved"));

    // once the file is whole again, clicking the same entry reads it
    QFile::resize(s.image.path(), 0x400000);
    clickRow(child<QListWidget>(w, "List1"), 255);
    QCOMPARE(s.platform.messages.size(), 2);
    QCOMPARE(child<QLabel>(w, "bar")->text(), QString("NPC Number 255"));
    QCOMPARE(child<QLineEdit>(w, "Text5")->text(), QString("0"));  // zero-filled past the old end

    // a missing file is reported, never created
    QFile::remove(s.image.path());
    clickRow(child<QListWidget>(w, "List1"), 3);
    QTest::mouseClick(child<QPushButton>(w, "Save"), Qt::LeftButton);
    QVERIFY(!QFile::exists(s.image.path()));
    QVERIFY(s.platform.messages.filter("no such file").size() >= 1);
}

QTEST_MAIN(SpriteEditorsTest)
#include "test_sprite_editors.moc"
