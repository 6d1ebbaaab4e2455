#include "rom/edit_plan.h"
#include "rom/field_keys.h"
#include "rom/files.h"
#include "rom/history/checked_write.h"
#include "rom/history/field_changes.h"
#include "rom/history/save_history.h"
#include "rom/sample_image.h"
#include "rom/tables.h"
#include "tests/support/file_faults.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>


namespace {

Bytes fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A sample image in a temporary folder, with the record of entry `index` of `table` at hand.
struct Fixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("image.sfc"));
    RomImage image{path.toStdString()};

    Fixture()
    {
        if (!writeSampleImage(path.toStdString()))
            qFatal("cannot write the sample image");
    }

    Bytes record(const Table& table, int index) const
    {
        const Bytes all = fileBytes(path);
        const std::uint32_t at = *recordPosition(table, index);
        return Bytes(all.begin() + at, all.begin() + at + table.recordSize);
    }
    void poke(const Table& table, int index, const Bytes& bytes) const
    {
        QVERIFY(image.write(*recordPosition(table, index), bytes));
    }
};

SaveEntry saveOf(const Table& table, int index, Bytes before, Bytes after, std::string source = "Weapon")
{
    return {{{&table, index, std::move(before), std::move(after)}}, "label " + std::to_string(index), std::move(source),
            std::chrono::system_clock::now()};
}

// Saves `after` over entry `index` as a window would, and records it.
void save(const Fixture& f, SaveHistory& history, const Table& table, int index, const Bytes& after)
{
    const Bytes before = f.record(table, index);
    QVERIFY(writeChecked(f.image, table, index, before, after));
    history.record(saveOf(table, index, before, after));
}

}  // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void checkedWriteWritesOnlyOverTheExpectedBytes();
    void checkedWriteReportsFilesThatFail();
    void undoAndRedoRestoreTheRecordOnly();
    void undoAndRedoAreRefusedAfterAnOutsideChange();
    void aSaveAfterAnUndoDropsTheRedo();
    void unchangedAndMergedWrites();
    void aSaveOfTwoRecordsIsUndoneWhole();
    void anUndoThatFailsPartWayPutsBackWhatItWrote();
    void changesAreDescribedByField_data();
    void changesAreDescribedByField();
    void newFilesAreWrittenWholeOrNotAtAll();
    void aFileSizeLimitLeavesNoPartialFile();
    void aWriteStoppedPartWayPutsTheRecordBack_data();
    void aWriteStoppedPartWayPutsTheRecordBack();
    void filesChangedBetweenReadAndSave();
    void aToolBatchIsSavedWholeOrRefused();
};

void HistoryTest::checkedWriteWritesOnlyOverTheExpectedBytes()
{
    Fixture f;
    const Table& t = tables::weapons;
    const Bytes image = fileBytes(f.path);
    const Bytes read = f.record(t, 4);
    Bytes edited = read;
    edited[0] ^= 0x5A;

    QVERIFY(writeChecked(f.image, t, 4, read, edited));
    Bytes expected = image;
    std::copy(edited.begin(), edited.end(), expected.begin() + *recordPosition(t, 4));
    QCOMPARE(fileBytes(f.path), expected);

    // another writer changes the record: the stale expectation is refused, nothing written
    Bytes outside = edited;
    outside[2] ^= 0x01;
    f.poke(t, 4, outside);
    const Bytes beforeRefusal = fileBytes(f.path);
    const CheckedWrite refused = writeChecked(f.image, t, 4, edited, read);
    QVERIFY(!refused);
    QVERIFY(refused.changedOnDisk());
    QCOMPARE(refused.found, outside);
    QVERIFY2(contains(refused.message, "entry 4 of the weapons table"), refused.message.c_str());
    QVERIFY(contains(refused.message, "nothing was saved"));
    QCOMPARE(fileBytes(f.path), beforeRefusal);
}

void HistoryTest::checkedWriteReportsFilesThatFail()
{
    QTemporaryDir dir;
    const Table& t = tables::armor;
    const Bytes record(t.recordSize, 7);
    const QString missing = dir.filePath(QStringLiteral("gone.sfc"));
    const CheckedWrite gone = writeChecked(RomImage(missing.toStdString()), t, 0, record, record);
    QVERIFY(!gone && !gone.changedOnDisk());
    QVERIFY(contains(gone.message, "no such file"));
    QVERIFY(!QFile::exists(missing));

    const CheckedWrite outside = writeChecked(RomImage(missing.toStdString()), t, t.count, record, record);
    QVERIFY(!outside && contains(outside.message, "not in the armor table"));

    // a file too short for the table: refused, not grown
    const QString shortFile = dir.filePath(QStringLiteral("short.sfc"));
    QFile s(shortFile);
    QVERIFY(s.open(QIODevice::WriteOnly));
    s.write(QByteArray(16, '\0'));
    s.close();
    QVERIFY(!writeChecked(RomImage(shortFile.toStdString()), t, 0, record, record));
    QCOMPARE(QFileInfo(shortFile).size(), 16);
}

void HistoryTest::undoAndRedoRestoreTheRecordOnly()
{
    Fixture f;
    SaveHistory history;
    const Table& t = tables::enemyStats;
    const Bytes original = fileBytes(f.path);
    Bytes first = f.record(t, 9);
    first[0] = 0x34;
    save(f, history, t, 9, first);
    Bytes second = first;
    second[14] = 99;
    save(f, history, t, 9, second);
    const Bytes afterSaves = fileBytes(f.path);
    QCOMPARE(history.entries().size(), std::size_t(2));

    auto undone = history.undo(f.image);
    QVERIFY2(undone, undone.error().c_str());
    QCOMPARE((*undone)->records[0].after, second);
    QCOMPARE(f.record(t, 9), first);
    QVERIFY(history.canRedo());
    QVERIFY(history.undo(f.image));
    QCOMPARE(fileBytes(f.path), original);  // every byte, inside and outside the record
    QVERIFY(!history.canUndo());
    QVERIFY(!history.undo(f.image));

    QVERIFY(history.redo(f.image));
    QCOMPARE(f.record(t, 9), first);
    QVERIFY(history.redo(f.image));
    QCOMPARE(fileBytes(f.path), afterSaves);
    QVERIFY(!history.canRedo());
    QVERIFY(!history.redo(f.image));
    QCOMPARE(history.applied(), std::size_t(2));
}

void HistoryTest::undoAndRedoAreRefusedAfterAnOutsideChange()
{
    Fixture f;
    SaveHistory history;
    const Table& t = tables::chests;
    Bytes saved = f.record(t, 3);
    saved[1] ^= 0xFF;
    save(f, history, t, 3, saved);

    Bytes outside = saved;
    outside[0] ^= 0x10;
    f.poke(t, 3, outside);
    const Bytes changed = fileBytes(f.path);
    auto refused = history.undo(f.image);
    QVERIFY(!refused);
    QVERIFY2(contains(refused.error(), "Undo refused: label 3 (entry 3 of the chests table)"), refused.error().c_str());
    QVERIFY(contains(refused.error(), "Nothing was written"));
    QCOMPARE(fileBytes(f.path), changed);
    QCOMPARE(history.applied(), std::size_t(1));

    // put back what the save left: the undo goes through; then a change before the redo refuses it
    f.poke(t, 3, saved);
    QVERIFY(history.undo(f.image));
    f.poke(t, 3, outside);
    const Bytes beforeRedo = fileBytes(f.path);
    auto redo = history.redo(f.image);
    QVERIFY(!redo);
    QVERIFY(contains(redo.error(), "Redo refused"));
    QCOMPARE(fileBytes(f.path), beforeRedo);
    QCOMPARE(history.applied(), std::size_t(0));

    // a file that is gone: the undo fails with the reason, and stays to be undone
    Fixture g;
    SaveHistory h2;
    Bytes edit = g.record(t, 0);
    edit[0] ^= 1;
    save(g, h2, t, 0, edit);
    QVERIFY(QFile::remove(g.path));
    auto gone = h2.undo(g.image);
    QVERIFY(!gone && contains(gone.error(), "no such file"));
    QVERIFY(!QFile::exists(g.path));
    QVERIFY(h2.canUndo());
}

void HistoryTest::aSaveAfterAnUndoDropsTheRedo()
{
    Fixture f;
    SaveHistory history;
    const Table& t = tables::weapons;
    Bytes a = f.record(t, 1);
    a[0] ^= 1;
    save(f, history, t, 1, a);
    Bytes b = f.record(t, 2);
    b[0] ^= 1;
    save(f, history, t, 2, b);
    QVERIFY(history.undo(f.image));
    Bytes c = f.record(t, 3);
    c[0] ^= 1;
    save(f, history, t, 3, c);
    QCOMPARE(history.entries().size(), std::size_t(2));
    QCOMPARE(history.entries()[1].records[0].index, 3);
    QVERIFY(!history.canRedo());
    history.clear();
    QVERIFY(!history.canUndo() && !history.canRedo());
    QVERIFY(history.entries().empty());
}

void HistoryTest::unchangedAndMergedWrites()
{
    const Table& names = tables::enemyNames;
    SaveHistory history;
    const Bytes start(names.recordSize, 0xEF);
    history.record(saveOf(names, 5, start, start, "Monster"));
    QVERIFY(history.entries().empty());  // a write that changed nothing is no step

    Bytes typed1 = start;
    typed1[0] = 0xA0;
    Bytes typed2 = typed1;
    typed2[1] = 0xA1;
    history.record(saveOf(names, 5, start, typed1, "Monster"), true);
    history.record(saveOf(names, 5, typed1, typed2, "Monster"), true);
    QCOMPARE(history.entries().size(), std::size_t(1));
    QCOMPARE(history.entries()[0].records[0].before, start);
    QCOMPARE(history.entries()[0].records[0].after, typed2);

    // another enemy, or another source, starts a new save
    Bytes other = start;
    other[3] = 0xA3;
    history.record(saveOf(names, 6, start, other, "Monster"), true);
    QCOMPARE(history.entries().size(), std::size_t(2));
    history.record(saveOf(names, 6, other, start, "veldra-cli set"), true);
    QCOMPARE(history.entries().size(), std::size_t(3));
    // typing back to where the save began drops it
    history.record(saveOf(names, 6, start, other, "veldra-cli set"), true);
    QCOMPARE(history.entries().size(), std::size_t(2));
    QCOMPARE(history.applied(), std::size_t(2));
}

void HistoryTest::aSaveOfTwoRecordsIsUndoneWhole()
{
    Fixture f;
    SaveHistory history;
    const Table& effects = tables::accessoryEffects;
    const Table& equip = tables::accessoryEquip;
    const Bytes original = fileBytes(f.path);
    Bytes effect = f.record(effects, 7);
    effect[2] ^= 0x0F;
    Bytes price = f.record(equip, 7);
    price[1] ^= 0x40;
    Bytes unchanged = f.record(effects, 8);
    SaveEntry save{{{&equip, 7, f.record(equip, 7), price}, {&effects, 7, f.record(effects, 7), effect},
                    {&effects, 8, unchanged, unchanged}},
                   "ring", "Accessory", std::chrono::system_clock::now()};
    QVERIFY(writeChecked(f.image, equip, 7, save.records[0].before, price));
    QVERIFY(writeChecked(f.image, effects, 7, save.records[1].before, effect));
    history.record(save);
    QCOMPARE(history.entries().size(), std::size_t(1));
    QCOMPARE(history.entries()[0].records.size(), std::size_t(2));  // the unchanged record is not kept
    const Bytes saved = fileBytes(f.path);

    // one of the two changed since: neither is written back
    Bytes outside = effect;
    outside[3] ^= 1;
    f.poke(effects, 7, outside);
    const Bytes changed = fileBytes(f.path);
    auto refused = history.undo(f.image);
    QVERIFY(!refused);
    QVERIFY2(contains(refused.error(), "ring (entry 7 of the accessory effects table) has been changed"), refused.error().c_str());
    QCOMPARE(fileBytes(f.path), changed);

    f.poke(effects, 7, effect);
    QVERIFY(history.undo(f.image));
    QCOMPARE(fileBytes(f.path), original);
    QVERIFY(history.redo(f.image));
    QCOMPARE(fileBytes(f.path), saved);
}

void HistoryTest::anUndoThatFailsPartWayPutsBackWhatItWrote()
{
    Fixture f;
    SaveHistory history;
    // the first record lies low in the image, the second past a file size limit
    const Table& low = tables::weapons;
    const Table& high = tables::chests;
    Bytes a = f.record(low, 0);
    a[0] ^= 0xFF;
    Bytes b = f.record(high, 0);
    b[0] ^= 0xFF;
    SaveEntry save{{{&low, 0, f.record(low, 0), a}, {&high, 0, f.record(high, 0), b}}, "both", "test",
                   std::chrono::system_clock::now()};
    QVERIFY(writeChecked(f.image, low, 0, save.records[0].before, a));
    QVERIFY(writeChecked(f.image, high, 0, save.records[1].before, b));
    history.record(save);
    const Bytes saved = fileBytes(f.path);
    const std::string said = inChild([&] {
        const FileSizeLimit limit(*recordPosition(high, 0));
        auto undone = history.undo(f.image);
        return undone ? std::string("undone") : undone.error();
    });
    QVERIFY2(contains(said, "Undo failed") && contains(said, "size limit for files"), said.c_str());
    QVERIFY2(!contains(said, "could not be put back"), said.c_str());
    QCOMPARE(fileBytes(f.path), saved);
}

void HistoryTest::changesAreDescribedByField_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<Bytes>("before");
    QTest::addColumn<Bytes>("after");
    QTest::addColumn<QString>("text");
    QTest::newRow("weapon attack") << "weapons" << Bytes{98, 0, 5, 0, 0} << Bytes{120, 0, 5, 0, 0} << "Attack 98 -> 120";
    QTest::newRow("two fields, in field order") << "weapons" << Bytes{98, 0, 5, 0, 0} << Bytes{98, 0, 9, 2, 0}
                                                << "Critical Hit % 5 -> 9, Inflicted Status 0 (None) -> 2 (Damage can vary)";
    QTest::newRow("word shown unsigned") << "enemy stats" << Bytes(23, 0) << [] {
        Bytes b(23, 0);
        b[0] = 0xFF;
        b[1] = 0xFF;
        return b;
    }() << "HP 0 -> 65535";
    QTest::newRow("bits") << "consumables" << Bytes{0x08, 10, 0} << Bytes{0x82, 10, 0}
                          << "Use in Menu off -> on, Key Item on -> off, Use in Battle off -> on";
    QTest::newRow("name") << "enemy names" << Bytes{0xA6, 0xC8, 0xBB, 0xBA, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}
                          << Bytes{0xA6, 0xC8, 0xBB, 0xBB, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}
                          << "Enemy Name \"Goba\" -> \"Gobb\"";
    QTest::newRow("chest: type and value, not the raw word")
        << "chests" << Bytes{1, 2, 0x11, 0x00} << Bytes{1, 2, 0xF4, 0x81} << "Treasure Type item -> gold, Value 17 ({Bow} Bow 1) -> 500";
    QTest::newRow("chest: bits no control shows") << "chests" << Bytes{1, 2, 0x11, 0x00} << Bytes{1, 2, 0x11, 0x02}
                                                   << "Contents 17 -> 529";
    QTest::newRow("nothing") << "chests" << Bytes{1, 2, 3, 4} << Bytes{1, 2, 3, 4} << "no change";
}

void HistoryTest::changesAreDescribedByField()
{
    QFETCH(QString, table);
    QFETCH(Bytes, before);
    QFETCH(Bytes, after);
    QFETCH(QString, text);
    const Table* found = nullptr;
    for (const Table* t : tables::all())
        if (t->name == table.toStdString())
            found = t;
    QVERIFY(found);
    QCOMPARE(QString::fromStdString(describeChanges(*found, before, after)), text);
}

void HistoryTest::newFilesAreWrittenWholeOrNotAtAll()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("copy.sfc"));
    const Bytes bytes{1, 2, 3, 4, 5};
    QVERIFY(writeNewFile(out.toStdString(), bytes));
    QCOMPARE(fileBytes(out), bytes);
    QVERIFY(QFileInfo(out).permissions() & QFileDevice::ReadOther);  // the usual mode, not the temp file's 0600

    const Status again = writeNewFile(out.toStdString(), Bytes{9});
    QVERIFY(!again && contains(again.error(), "already exists"));
    QCOMPARE(fileBytes(out), bytes);
    QVERIFY(writeNewFile(out.toStdString(), Bytes{9}, Existing::Replace));
    QCOMPARE(fileBytes(out), Bytes{9});

    QVERIFY(!writeNewFile(dir.filePath(QStringLiteral("no/such/folder/x.sfc")).toStdString(), bytes));
    QVERIFY(!writeNewFile(dir.path().toStdString(), bytes, Existing::Replace));  // a folder is no file to replace
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("copy.sfc")});  // no temporary left

    QVERIFY(sameFile(out.toStdString(), (dir.path() + QStringLiteral("/./copy.sfc")).toStdString()));
    QVERIFY(QFile::link(out, dir.filePath(QStringLiteral("link.sfc"))));
    QVERIFY(sameFile(out.toStdString(), dir.filePath(QStringLiteral("link.sfc")).toStdString()));
    QVERIFY(!sameFile(out.toStdString(), dir.filePath(QStringLiteral("other.sfc")).toStdString()));
}

void HistoryTest::aFileSizeLimitLeavesNoPartialFile()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("big.sfc"));
    const std::string said = inChild([&] {
        const FileSizeLimit limit(4096);
        const Status written = writeNewFile(out.toStdString(), Bytes(64 * 1024, 0xAB));
        return written ? std::string("written") : written.error();
    });
    QVERIFY2(contains(said, "size limit") && contains(said, "nothing was written"), said.c_str());
    QVERIFY(!QFile::exists(out));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());  // no temporary left
}

void HistoryTest::aWriteStoppedPartWayPutsTheRecordBack_data()
{
    QTest::addColumn<int>("limitIntoRecord");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("limit before the record: nothing goes in") << 0 << "entry 4 of the enemy stats table is as it was";
    QTest::newRow("limit inside the record: two bytes go in")
        << 2 << "the write stopped part-way, and entry 4 of the enemy stats table was put back as it was";
}

void HistoryTest::aWriteStoppedPartWayPutsTheRecordBack()
{
    QFETCH(int, limitIntoRecord);
    QFETCH(QString, outcome);
    Fixture f;
    const Table& t = tables::enemyStats;
    const Bytes before = fileBytes(f.path);
    const Bytes read = f.record(t, 4);
    keepNoHistory(f.path);
    Bytes edited = read;
    for (auto& b : edited)
        b = static_cast<std::uint8_t>(~b);
    const std::string said = inChild([&] {
        const FileSizeLimit limit(*recordPosition(t, 4) + limitIntoRecord);
        const CheckedWrite written = writeChecked(f.image, t, 4, read, edited);
        return written ? std::string("written") : written.message;
    });
    QVERIFY2(contains(said, "size limit for files"), said.c_str());
    QVERIFY2(contains(said, outcome.toStdString()), said.c_str());
    QCOMPARE(fileBytes(f.path), before);
}

void HistoryTest::filesChangedBetweenReadAndSave()
{
    Fixture f;
    const Table& t = tables::armor;
    const Bytes read = f.record(t, 2);
    Bytes edited = read;
    edited[0] ^= 0x21;

    {  // read-only since it was read: refused with the reason, nothing written
        const Bytes before = fileBytes(f.path);
        const ReadOnlyFile readOnly(f.path);
        const CheckedWrite refused = writeChecked(f.image, t, 2, read, edited);
        QVERIFY(!refused && !refused.changedOnDisk());
        QVERIFY2(contains(refused.message, "permission denied (is the file read-only?)"), refused.message.c_str());
        QCOMPARE(fileBytes(f.path), before);
    }

    // replaced by a file whose record differs: the other file is not overwritten
    const QString other = f.dir.filePath(QStringLiteral("other.sfc"));
    QVERIFY(QFile::copy(f.path, other));
    RomImage(other.toStdString()).write(*recordPosition(t, 2), edited);
    QVERIFY(QFile::remove(f.path));
    QVERIFY(QFile::rename(other, f.path));
    Bytes mine = read;
    mine[1] ^= 0x01;
    const Bytes replaced = fileBytes(f.path);
    const CheckedWrite changed = writeChecked(f.image, t, 2, read, mine);
    QVERIFY(changed.changedOnDisk());
    QCOMPARE(fileBytes(f.path), replaced);

    // removed, or a folder in its place: nothing is created, nothing written
    QVERIFY(QFile::remove(f.path));
    const CheckedWrite gone = writeChecked(f.image, t, 2, read, mine);
    QVERIFY(!gone && contains(gone.message, "no such file"));
    QVERIFY(!QFile::exists(f.path));
    QVERIFY(QDir().mkdir(f.path));
    const CheckedWrite folder = writeChecked(f.image, t, 2, read, mine);
    QVERIFY2(!folder && contains(folder.message, "folder"), folder.message.c_str());
    QVERIFY(QFileInfo(f.path).isDir());
}

// The command-line tool's road: values planned against the file, then written.
void HistoryTest::aToolBatchIsSavedWholeOrRefused()
{
    Fixture f;
    const KeyedTable& weapons = *findKeyedTable("weapons");
    const KeyedField& attack = *weapons.find("attack");
    const std::vector<FieldEdit> edits{{&weapons, 3, &attack, "77", {}}, {&weapons, 9, &attack, "78", {}}};
    const auto plan = [&] {
        const Bytes all = fileBytes(f.path);
        return planEdits(all, edits);
    };

    // another program changes the second record after the plan was made:
    // neither record is written
    const EditPlan stale = plan();
    QCOMPARE(stale.changes.size(), std::size_t(2));
    Bytes other = f.record(*weapons.table, 9);
    other[0] ^= 0x40;
    f.poke(*weapons.table, 9, other);
    const Bytes changedByOther = fileBytes(f.path);
    SaveHistory history;
    const Status refused = applyPlan(f.image, stale, &history, "veldra-cli set");
    QVERIFY(!refused);
    QVERIFY2(contains(refused.error(), "entry 9 of the weapons table was changed"), refused.error().c_str());
    QCOMPARE(fileBytes(f.path), changedByOther);
    QVERIFY(history.entries().empty());

    // planned afresh it goes through and is one save in the run's history,
    // which takes both records back at once
    const EditPlan fresh = plan();
    QVERIFY(applyPlan(f.image, fresh, &history, "veldra-cli set"));
    QCOMPARE(history.entries().size(), std::size_t(1));
    QCOMPARE(history.entries()[0].records.size(), std::size_t(2));
    QCOMPARE(history.entries()[0].source, std::string("veldra-cli set"));
    QCOMPARE(readFieldValue(attack, f.record(*weapons.table, 3)), FieldValue(std::int64_t(77)));
    QVERIFY(history.undo(f.image));
    QCOMPARE(fileBytes(f.path), changedByOther);
}

QTEST_GUILESS_MAIN(HistoryTest)
#include "test_history.moc"
