#include "rom/edit_plan.h"
#include "rom/field_keys.h"
#include "rom/files.h"
#include "rom/history/checked_write.h"
#include "rom/history/field_changes.h"
#include "rom/history/image_history.h"
#include "rom/history/journal_rules.h"
#include "rom/history/save_history.h"
#include "rom/sample_image.h"
#include "rom/tables.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_folder.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Bytes fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files in a folder, by name: a failed write must leave no temporary file behind.
Names folderFiles(const TempFolder& dir)
{
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A sample image in a temporary folder, with the record of entry `index` of `table` at hand.
struct Fixture {
    TempFolder dir;
    std::string path = dir.filePath("image.sfc");
    RomImage image{path};

    Fixture()
    {
        if (!writeSampleImage(path))
            throw std::runtime_error("cannot write the sample image");
    }

    Bytes record(const Table& table, int index) const
    {
        const Bytes all = fileBytes(path);
        const std::uint32_t at = *recordPosition(table, index);
        return Bytes(all.begin() + at, all.begin() + at + table.recordSize);
    }
    void poke(const Table& table, int index, const Bytes& bytes) const
    {
        REQUIRE(image.write(*recordPosition(table, index), bytes));
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
    REQUIRE(writeChecked(f.image, table, index, before, after));
    history.record(saveOf(table, index, before, after));
}

}  // namespace

TEST_CASE("checkedWriteWritesOnlyOverTheExpectedBytes")
{
    Fixture f;
    const Table& t = tables::weapons;
    const Bytes image = fileBytes(f.path);
    const Bytes read = f.record(t, 4);
    Bytes edited = read;
    edited[0] ^= 0x5A;

    REQUIRE(writeChecked(f.image, t, 4, read, edited));
    Bytes expected = image;
    std::copy(edited.begin(), edited.end(), expected.begin() + *recordPosition(t, 4));
    REQUIRE_EQ(fileBytes(f.path), expected);

    // another writer changes the record: the stale expectation is refused, nothing written
    Bytes outside = edited;
    outside[2] ^= 0x01;
    f.poke(t, 4, outside);
    const Bytes beforeRefusal = fileBytes(f.path);
    const CheckedWrite refused = writeChecked(f.image, t, 4, edited, read);
    REQUIRE(!refused);
    REQUIRE(refused.changedOnDisk());
    REQUIRE_EQ(refused.found, outside);
    REQUIRE_MESSAGE(contains(refused.message, "entry 4 of the weapons table"), refused.message.c_str());
    REQUIRE(contains(refused.message, "nothing was saved"));
    REQUIRE_EQ(fileBytes(f.path), beforeRefusal);
}

TEST_CASE("checkedWriteReportsFilesThatFail")
{
    TempFolder dir;
    const Table& t = tables::armor;
    const Bytes record(t.recordSize, 7);
    const std::string missing = dir.filePath("gone.sfc");
    const CheckedWrite gone = writeChecked(RomImage(missing), t, 0, record, record);
    REQUIRE((!gone && !gone.changedOnDisk()));
    REQUIRE(contains(gone.message, "no such file"));
    REQUIRE(!fs::exists(missing));

    const CheckedWrite outside = writeChecked(RomImage(missing), t, t.count, record, record);
    REQUIRE((!outside && contains(outside.message, "not in the armor table")));

    // a file too short for the table: refused, not grown
    const std::string shortFile = dir.filePath("short.sfc");
    std::ofstream(shortFile, std::ios::binary) << std::string(16, '\0');
    REQUIRE(!writeChecked(RomImage(shortFile), t, 0, record, record));
    REQUIRE_EQ(fs::file_size(shortFile), std::uintmax_t(16));
}

TEST_CASE("undoAndRedoRestoreTheRecordOnly")
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
    REQUIRE_EQ(history.entries().size(), std::size_t(2));

    auto undone = history.undo(f.image);
    REQUIRE_MESSAGE(undone, undone.error().c_str());
    REQUIRE_EQ((*undone)->records[0].after, second);
    REQUIRE_EQ(f.record(t, 9), first);
    REQUIRE(history.canRedo());
    REQUIRE(history.undo(f.image));
    REQUIRE_EQ(fileBytes(f.path), original);  // every byte, inside and outside the record
    REQUIRE(!history.canUndo());
    REQUIRE(!history.undo(f.image));

    REQUIRE(history.redo(f.image));
    REQUIRE_EQ(f.record(t, 9), first);
    REQUIRE(history.redo(f.image));
    REQUIRE_EQ(fileBytes(f.path), afterSaves);
    REQUIRE(!history.canRedo());
    REQUIRE(!history.redo(f.image));
    REQUIRE_EQ(history.applied(), std::size_t(2));
}

TEST_CASE("undoAndRedoAreRefusedAfterAnOutsideChange")
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
    REQUIRE(!refused);
    REQUIRE_MESSAGE(contains(refused.error(), "Undo refused: label 3 (entry 3 of the chests table)"), refused.error().c_str());
    REQUIRE(contains(refused.error(), "Nothing was written"));
    REQUIRE_EQ(fileBytes(f.path), changed);
    REQUIRE_EQ(history.applied(), std::size_t(1));

    // put back what the save left: the undo goes through; then a change before the redo refuses it
    f.poke(t, 3, saved);
    REQUIRE(history.undo(f.image));
    f.poke(t, 3, outside);
    const Bytes beforeRedo = fileBytes(f.path);
    auto redo = history.redo(f.image);
    REQUIRE(!redo);
    REQUIRE(contains(redo.error(), "Redo refused"));
    REQUIRE_EQ(fileBytes(f.path), beforeRedo);
    REQUIRE_EQ(history.applied(), std::size_t(0));

    // a file that is gone: the undo fails with the reason, and stays to be undone
    Fixture g;
    SaveHistory h2;
    Bytes edit = g.record(t, 0);
    edit[0] ^= 1;
    save(g, h2, t, 0, edit);
    REQUIRE(fs::remove(g.path));
    auto gone = h2.undo(g.image);
    REQUIRE((!gone && contains(gone.error(), "no such file")));
    REQUIRE(!fs::exists(g.path));
    REQUIRE(h2.canUndo());
}

TEST_CASE("aSaveAfterAnUndoDropsTheRedo")
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
    REQUIRE(history.undo(f.image));
    Bytes c = f.record(t, 3);
    c[0] ^= 1;
    save(f, history, t, 3, c);
    REQUIRE_EQ(history.entries().size(), std::size_t(2));
    REQUIRE_EQ(history.entries()[1].records[0].index, 3);
    REQUIRE(!history.canRedo());
    history.clear();
    REQUIRE((!history.canUndo() && !history.canRedo()));
    REQUIRE(history.entries().empty());
}

TEST_CASE("unchangedAndMergedWrites")
{
    const Table& names = tables::enemyNames;
    SaveHistory history;
    const Bytes start(names.recordSize, 0xEF);
    history.record(saveOf(names, 5, start, start, "Monster"));
    REQUIRE(history.entries().empty());  // a write that changed nothing is no step

    Bytes typed1 = start;
    typed1[0] = 0xA0;
    Bytes typed2 = typed1;
    typed2[1] = 0xA1;
    history.record(saveOf(names, 5, start, typed1, "Monster"), true);
    history.record(saveOf(names, 5, typed1, typed2, "Monster"), true);
    REQUIRE_EQ(history.entries().size(), std::size_t(1));
    REQUIRE_EQ(history.entries()[0].records[0].before, start);
    REQUIRE_EQ(history.entries()[0].records[0].after, typed2);

    // another enemy, or another source, starts a new save
    Bytes other = start;
    other[3] = 0xA3;
    history.record(saveOf(names, 6, start, other, "Monster"), true);
    REQUIRE_EQ(history.entries().size(), std::size_t(2));
    history.record(saveOf(names, 6, other, start, "veldra-cli set"), true);
    REQUIRE_EQ(history.entries().size(), std::size_t(3));
    // typing back to where the save began drops it
    history.record(saveOf(names, 6, start, other, "veldra-cli set"), true);
    REQUIRE_EQ(history.entries().size(), std::size_t(2));
    REQUIRE_EQ(history.applied(), std::size_t(2));
}

TEST_CASE("aSaveOfTwoRecordsIsUndoneWhole")
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
    REQUIRE(writeChecked(f.image, equip, 7, save.records[0].before, price));
    REQUIRE(writeChecked(f.image, effects, 7, save.records[1].before, effect));
    history.record(save);
    REQUIRE_EQ(history.entries().size(), std::size_t(1));
    REQUIRE_EQ(history.entries()[0].records.size(), std::size_t(2));  // the unchanged record is not kept
    const Bytes saved = fileBytes(f.path);

    // one of the two changed since: neither is written back
    Bytes outside = effect;
    outside[3] ^= 1;
    f.poke(effects, 7, outside);
    const Bytes changed = fileBytes(f.path);
    auto refused = history.undo(f.image);
    REQUIRE(!refused);
    REQUIRE_MESSAGE(contains(refused.error(), "ring (entry 7 of the accessory effects table) has been changed"), refused.error().c_str());
    REQUIRE_EQ(fileBytes(f.path), changed);

    f.poke(effects, 7, effect);
    REQUIRE(history.undo(f.image));
    REQUIRE_EQ(fileBytes(f.path), original);
    REQUIRE(history.redo(f.image));
    REQUIRE_EQ(fileBytes(f.path), saved);
}

TEST_CASE("anUndoThatFailsPartWayPutsBackWhatItWrote")
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
    REQUIRE(writeChecked(f.image, low, 0, save.records[0].before, a));
    REQUIRE(writeChecked(f.image, high, 0, save.records[1].before, b));
    history.record(save);
    const Bytes saved = fileBytes(f.path);
    const std::string said = inChild([&] {
        const FileSizeLimit limit(*recordPosition(high, 0));
        auto undone = history.undo(f.image);
        return undone ? std::string("undone") : undone.error();
    });
    REQUIRE_MESSAGE((contains(said, "Undo failed") && contains(said, "size limit for files")), said.c_str());
    REQUIRE_MESSAGE(!contains(said, "could not be put back"), said.c_str());
    REQUIRE_EQ(fileBytes(f.path), saved);
}

TEST_CASE("changesAreDescribedByField")
{
    struct Row {
        const char* name;
        std::string table;
        Bytes before;
        Bytes after;
        std::string text;
    };
    const Row rows[] = {
        {"weapon attack", "weapons", Bytes{98, 0, 5, 0, 0}, Bytes{120, 0, 5, 0, 0}, "Attack 98 -> 120"},
        {"two fields, in field order", "weapons", Bytes{98, 0, 5, 0, 0}, Bytes{98, 0, 9, 2, 0}, "Critical Hit % 5 -> 9, Inflicted Status 0 (None) -> 2 (Damage can vary)"},
        {"word shown unsigned", "enemy stats", Bytes(23, 0), [] {
                Bytes b(23, 0);
                b[0] = 0xFF;
                b[1] = 0xFF;
                return b;
            }(), "HP 0 -> 65535"},
        {"bits", "consumables", Bytes{0x08, 10, 0}, Bytes{0x82, 10, 0}, "Use in Menu off -> on, Key Item on -> off, Use in Battle off -> on"},
        {"name", "enemy names", Bytes{0xA6, 0xC8, 0xBB, 0xBA, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}, Bytes{0xA6, 0xC8, 0xBB, 0xBB, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}, "Enemy Name \"Goba\" -> \"Gobb\""},
        {"chest: type and value, not the raw word", "chests", Bytes{1, 2, 0x11, 0x00}, Bytes{1, 2, 0xF4, 0x81}, "Treasure Type item -> gold, Value 17 ({Bow} Bow 1) -> 500"},
        {"chest: bits no control shows", "chests", Bytes{1, 2, 0x11, 0x00}, Bytes{1, 2, 0x11, 0x02}, "Contents 17 -> 529"},
        {"nothing", "chests", Bytes{1, 2, 3, 4}, Bytes{1, 2, 3, 4}, "no change"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& table = row.table;
        const auto& before = row.before;
        const auto& after = row.after;
        const auto& text = row.text;

        const Table* found = nullptr;
        for (const Table* t : tables::all())
            if (t->name == table)
                found = t;
        REQUIRE(found);
        REQUIRE_EQ(describeChanges(*found, before, after), text);
    }
}

TEST_CASE("newFilesAreWrittenWholeOrNotAtAll")
{
    TempFolder dir;
    const std::string out = dir.filePath("copy.sfc");
    const Bytes bytes{1, 2, 3, 4, 5};
    REQUIRE(writeNewFile(out, bytes));
    REQUIRE_EQ(fileBytes(out), bytes);
    REQUIRE((fs::status(out).permissions() & fs::perms::others_read) != fs::perms::none);  // the usual mode, not the temp file's 0600

    const Status again = writeNewFile(out, Bytes{9});
    REQUIRE((!again && contains(again.error(), "already exists")));
    REQUIRE_EQ(fileBytes(out), bytes);
    REQUIRE(writeNewFile(out, Bytes{9}, Existing::Replace));
    REQUIRE_EQ(fileBytes(out), Bytes{9});

    REQUIRE(!writeNewFile(dir.filePath("no/such/folder/x.sfc"), bytes));
    REQUIRE(!writeNewFile(dir.path(), bytes, Existing::Replace));  // a folder is no file to replace
    REQUIRE_EQ(folderFiles(dir), Names{"copy.sfc"});  // no temporary left

    REQUIRE(sameFile(out, dir.path() + "/./copy.sfc"));
    std::error_code linkError;
    fs::create_symlink(out, dir.filePath("link.sfc"), linkError);
    REQUIRE(!linkError);
    REQUIRE(sameFile(out, dir.filePath("link.sfc")));
    REQUIRE(!sameFile(out, dir.filePath("other.sfc")));
}

TEST_CASE("aFileSizeLimitLeavesNoPartialFile")
{
    TempFolder dir;
    const std::string out = dir.filePath("big.sfc");
    const std::string said = inChild([&] {
        const FileSizeLimit limit(4096);
        const Status written = writeNewFile(out, Bytes(64 * 1024, 0xAB));
        return written ? std::string("written") : written.error();
    });
    REQUIRE_MESSAGE((contains(said, "size limit") && contains(said, "nothing was written")), said.c_str());
    REQUIRE(!fs::exists(out));
    REQUIRE(folderFiles(dir).empty());  // no temporary left
}

TEST_CASE("aWriteStoppedPartWayPutsTheRecordBack")
{
    struct Row {
        const char* name;
        int limitIntoRecord;
        std::string outcome;
    };
    const Row rows[] = {
        {"limit before the record: nothing goes in", 0, "entry 4 of the enemy stats table is as it was"},
        {"limit inside the record: two bytes go in", 2, "the write stopped part-way, and entry 4 of the enemy stats table was put back as it was"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& limitIntoRecord = row.limitIntoRecord;
        const auto& outcome = row.outcome;

        Fixture f;
        const Table& t = tables::enemyStats;
        const Bytes before = fileBytes(f.path);
        const Bytes read = f.record(t, 4);
        keepNoHistory(f.path);  // the limit is meant for the record, not for a restore point kept first
        Bytes edited = read;
        for (auto& b : edited)
            b = static_cast<std::uint8_t>(~b);
        const std::string said = inChild([&] {
            const FileSizeLimit limit(*recordPosition(t, 4) + limitIntoRecord);
            const CheckedWrite written = writeChecked(f.image, t, 4, read, edited);
            return written ? std::string("written") : written.message;
        });
        REQUIRE_MESSAGE(contains(said, "size limit for files"), said.c_str());
        REQUIRE_MESSAGE(contains(said, outcome), said.c_str());
        REQUIRE_EQ(fileBytes(f.path), before);
    }
}

TEST_CASE("filesChangedBetweenReadAndSave")
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
        REQUIRE((!refused && !refused.changedOnDisk()));
        REQUIRE_MESSAGE(contains(refused.message, "permission denied (is the file read-only?)"), refused.message.c_str());
        REQUIRE_EQ(fileBytes(f.path), before);
    }

    // replaced by a file whose record differs: the other file is not overwritten
    const std::string other = f.dir.filePath("other.sfc");
    REQUIRE(fs::copy_file(f.path, other));
    RomImage(other).write(*recordPosition(t, 2), edited);
    REQUIRE(fs::remove(f.path));
    REQUIRE_EQ(std::rename(other.c_str(), f.path.c_str()), 0);
    Bytes mine = read;
    mine[1] ^= 0x01;
    const Bytes replaced = fileBytes(f.path);
    const CheckedWrite changed = writeChecked(f.image, t, 2, read, mine);
    REQUIRE(changed.changedOnDisk());
    REQUIRE_EQ(fileBytes(f.path), replaced);

    // removed, or a folder in its place: nothing is created, nothing written
    REQUIRE(fs::remove(f.path));
    const CheckedWrite gone = writeChecked(f.image, t, 2, read, mine);
    REQUIRE((!gone && contains(gone.message, "no such file")));
    REQUIRE(!fs::exists(f.path));
    REQUIRE(fs::create_directory(f.path));
    const CheckedWrite folder = writeChecked(f.image, t, 2, read, mine);
    REQUIRE_MESSAGE((!folder && contains(folder.message, "folder")), folder.message.c_str());
    REQUIRE(fs::is_directory(f.path));
}

// The command-line tool's road: values planned against the file, then written.
TEST_CASE("aToolBatchIsSavedWholeOrRefused")
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
    REQUIRE_EQ(stale.changes.size(), std::size_t(2));
    Bytes other = f.record(*weapons.table, 9);
    other[0] ^= 0x40;
    f.poke(*weapons.table, 9, other);
    const Bytes changedByOther = fileBytes(f.path);
    ImageHistory history;
    const Status refused = applyPlan(f.image, stale, &history, "veldra-cli set");
    REQUIRE(!refused);
    REQUIRE_MESSAGE(contains(refused.error(), "entry 9 of the weapons table was changed"), refused.error().c_str());
    REQUIRE_EQ(fileBytes(f.path), changedByOther);
    REQUIRE(history.history().entries().empty());

    // planned afresh it goes through and is one save in the run's history,
    // which takes both records back at once
    const EditPlan fresh = plan();
    REQUIRE(applyPlan(f.image, fresh, &history, "veldra-cli set"));
    REQUIRE_EQ(history.history().entries().size(), std::size_t(1));
    REQUIRE_EQ(history.history().entries()[0].records.size(), std::size_t(2));
    REQUIRE_EQ(history.history().entries()[0].source, std::string("veldra-cli set"));
    REQUIRE_EQ(readFieldValue(attack, f.record(*weapons.table, 3)), FieldValue(std::int64_t(77)));
    REQUIRE(history.undo(f.image, "test"));
    REQUIRE_EQ(fileBytes(f.path), changedByOther);
}


namespace {

JournalEntry weaponStep(JournalKind kind, int index, std::uint8_t from, std::uint8_t to)
{
    Bytes before(tables::weapons.recordSize, 0);
    Bytes after = before;
    before[0] = from;
    after[0] = to;
    return {kind, {{{&tables::weapons, index, before, after}}, "", "test", {}}};
}

}  // namespace

// The fold's cut: never where the entries kept, replayed alone, would give
// another history than all of them (less the saves dropped).
TEST_CASE("theFoldCutsWhereReplayingStaysTheSame")
{
    using enum JournalKind;
    const JournalEntry cancel{Cancelled, {}};
    struct Case {
        const char* what;
        std::vector<JournalEntry> entries;
        std::size_t least;
        std::size_t cut;
    };
    const std::vector<Case> cases{
        {"plain saves: as asked", {weaponStep(Save, 0, 1, 2), weaponStep(Save, 1, 1, 2), weaponStep(Save, 2, 1, 2)}, 2, 2},
        {"not between a step and its cancel mark",
         {weaponStep(Save, 0, 1, 2), weaponStep(Save, 1, 1, 2), cancel, weaponStep(Save, 2, 1, 2)}, 2, 3},
        {"not before a save that joins the one dropped",
         {weaponStep(Save, 0, 1, 2), weaponStep(JoinedSave, 0, 2, 3), weaponStep(Save, 1, 1, 2)}, 1, 2},
        {"not where a later undo reaches back over it, then a redo",
         {weaponStep(Save, 0, 1, 2), weaponStep(Save, 1, 1, 2), weaponStep(Save, 2, 1, 2), weaponStep(Undo, 2, 2, 1),
          weaponStep(Undo, 1, 2, 1), weaponStep(Redo, 1, 1, 2)},
         2, 1},
        {"none where saves are undone: nothing is dropped",
         {weaponStep(Save, 0, 1, 2), weaponStep(Undo, 0, 2, 1), weaponStep(Save, 1, 1, 2)}, 1, 0},
    };
    for (const Case& c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        // the last entry is the one being appended; the bound is what the file holds
        const std::size_t cut = foldCut(c.entries, c.entries.size() - 1, c.least, c.entries.size() - 1);
        CHECK(cut == c.cut);
        // the kept entries replay to the newest saves of the whole history, each as much in effect
        const std::span<const JournalEntry> all(c.entries);
        std::vector<JournalEntry> kept(all.begin() + static_cast<std::ptrdiff_t>(cut), all.end());
        std::vector<JournalEntry> everything(all.begin(), all.end());
        const auto live = [](const std::vector<JournalEntry>& entries) {
            std::vector<JournalEntry> out;
            const std::vector<bool> dead = deadEntries(entries);
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (!dead[i])
                    out.push_back(entries[i]);
            return historyFrom(out);
        };
        const SaveHistory whole = live(everything);
        const SaveHistory tail = live(kept);
        const std::size_t dropped = whole.entries().size() - tail.entries().size();
        CHECK(tail.applied() + std::min(dropped, whole.applied()) == whole.applied());
    }
}
