#include "tests/support/pipe_guard.h"

#include "rom/game_text.h"
#include "rom/identity.h"
#include "rom/numeric_text.h"
#include "rom/rom_image.h"
#include "rom/sample_image.h"
#include "rom/tables.h"
#include "rom/value_list.h"

#include "tests/support/temp_folder.h"

#include <doctest/doctest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace {

namespace fs = std::filesystem;

Bytes fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

TEST_CASE("numericValueReadsTheFieldNotations")
{
    struct Row {
        const char* name;
        std::string text;
        bool hasValue;
        double value;
    };
    const Row rows[] = {
        {"plain", "37", true, 37.0},
        {"blanks around", "  12 ", true, 12.0},
        {"sign", "-3", true, -3.0},
        {"plus", "+4", true, 4.0},
        {"point", "2.5", true, 2.5},
        {"lead point", ".5", true, 0.5},
        {"exponent", "1e3", true, 1000.0},
        {"hex", "&HFF", true, 255.0},
        {"hex lower", "&h10", true, 16.0},
        {"leading zero", "0255", true, 255.0},
        {"empty", "", false, 0.0},
        {"blanks only", "   ", false, 0.0},
        {"letters", "abc", false, 0.0},
        {"lone sign", "-", false, 0.0},
        {"lone point", ".", false, 0.0},
        {"trailing junk", "12x", false, 0.0},
        {"bare hex prefix", "&H", false, 0.0},
        {"inner blank", "1 2", false, 0.0},
        {"dangling exponent", "1e", false, 0.0},
        {"too large", "1e999", true, std::numeric_limits<double>::infinity()},
        {"too small: nearly 0", "1e-999", true, 0.0},
        {"too small, negative", "-1e-999", true, 0.0},
        {"too small, long fraction", "0." + std::string(400, '0') + "7", true, 0.0},
        {"large mantissa, small exponent", "5" + std::string(400, '0') + "e-399", true, 50.0},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& text = row.text;
        const auto& hasValue = row.hasValue;
        const auto& value = row.value;

        const auto v = numericValue(text);
        REQUIRE_EQ(v.has_value(), hasValue);
        if (hasValue)
            REQUIRE_EQ(*v, value);
    }
}

TEST_CASE("entryRules")
{
    struct Row {
        const char* name;
        EntryRule rule;
        std::string text;
        std::string result;
    };
    const Row rows[] = {
        {"clamped empty", EntryRule::ClampedByte, "", "0"},
        {"clamped 300", EntryRule::ClampedByte, "300", "255"},
        {"clamped 255", EntryRule::ClampedByte, "255", "255"},
        {"clamped 255.0", EntryRule::ClampedByte, "255.0", "255"},
        {"clamped 0255", EntryRule::ClampedByte, "0255", "255"},
        {"clamped 254", EntryRule::ClampedByte, "254", "254"},
        {"clamped &HFF", EntryRule::ClampedByte, "&HFF", "255"},
        {"clamped &H10", EntryRule::ClampedByte, "&H10", "&H10"},
        {"clamped negative", EntryRule::ClampedByte, "-4", "-4"},
        {"clamped tiny", EntryRule::ClampedByte, "1e-999", "1e-999"},
        {"clamped huge", EntryRule::ClampedByte, "1e999", "255"},
        {"clamped letters", EntryRule::ClampedByte, "ab", "ab"},
        {"open empty", EntryRule::OpenEnded, "", "0"},
        {"open 70000", EntryRule::OpenEnded, "70000", "70000"},
        {"non-negative -3", EntryRule::NonNegative, "-3", "0"},
        {"non-negative 1000", EntryRule::NonNegative, "1000", "1000"},
        {"non-negative empty", EntryRule::NonNegative, "", ""},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& rule = row.rule;
        const auto& text = row.text;
        const auto& result = row.result;

        REQUIRE_EQ(applyEntryRule(rule, text), result);
    }
}

TEST_CASE("saveConversions")
{
    struct Row {
        const char* name;
        std::string text;
        int byte;  // -1: refused
        int word;  // -1: refused
    };
    const Row rows[] = {
        {"plain", "200", 200, 200},
        {"half to even down", "2.5", 2, 2},
        {"half to even up", "3.5", 4, 4},
        {"rounds into range", "255.4", 255, 255},
        {"rounds out of range", "255.5", -1, 256},
        {"negative", "-1", -1, -1},
        {"small negative rounds to 0", "-0.4", 0, 0},
        {"word top", "65535", -1, 65535},
        {"word over", "65536", -1, -1},
        {"letters", "x", -1, -1},
        {"empty", "", -1, -1},
        {"huge", "1e300", -1, -1},
        {"beyond double", "1e999", -1, -1},
        {"below double rounds to 0", "1e-999", 0, 0},
        {"hex", "&HFF", 255, 255},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& text = row.text;
        const auto& byte = row.byte;
        const auto& word = row.word;

        const auto b = byteFromText(text, "Attack");
        REQUIRE_EQ(b.ok(), byte >= 0);
        if (b)
            REQUIRE_EQ(int(*b), byte);
        else
            REQUIRE(b.error().find("Attack must be a whole number from 0 to 255") == 0);
        const auto w = wordFromText(text, "HP");
        REQUIRE_EQ(w.ok(), word >= 0);
        if (w)
            REQUIRE_EQ(int(*w), word);
        else
            REQUIRE((w.error().find(std::string(kWordConversionError)) == 0 && contains(w.error(), "HP must be")));
    }
}

TEST_CASE("typedValueListText")
{
    struct Row {
        const char* name;
        int shownEntry;
        int shownValue;
        std::string typed;
        int entry;  // -2: refused
        int value;
        bool exactRefuses;  // a script's value (ValueFit::Exact) is refused where the window picks
    };
    // entries: 0 "None"=0, 1 "Damage can vary"=2, 2 "2x hit"=13, 3 "Random 'stop'"=36,
    // 4 "Random 'stop'"=38, 5 "Causes chaos "=50, 6 "{Null}"=0
    const Row rows[] = {
        {"a number that starts a label", 0, 0, "2", 1, 2, false},
        {"a label", 0, 0, "2x hit", 2, 13, false},
        {"a label without its trailing blank", 0, 0, "Causes chaos", 5, 50, false},
        {"blanks around a number", 0, 0, " 50 ", 5, 50, false},
        {"a shared label, one of them shown", 4, 38, "Random 'stop'", 4, 38, false},
        {"a shared label, neither shown", 0, 0, "Random 'stop'", 3, 36, true},
        {"a shared number, the later one shown", 6, 0, "0", 6, 0, false},
        {"a shared number, neither shown", 1, 2, "0", 0, 0, false},
        {"the bare stored number kept", -1, 5, "5", -1, 5, false},
        {"another bare number", -1, 5, "6", -2, 0, false},
        {"a prefix of a label", 0, 0, "Dam", -2, 0, false},
        {"another case", 0, 0, "none", -2, 0, false},
        {"nothing", 0, 0, "", -2, 0, false},
        {"blanks only", 0, 0, "  ", -2, 0, false},
        {"a shared label without its blank, neither shown", 0, 0, " Random 'stop' ", 3, 36, true},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& shownEntry = row.shownEntry;
        const auto& shownValue = row.shownValue;
        const auto& typed = row.typed;
        const auto& entry = row.entry;
        const auto& value = row.value;
        const auto& exactRefuses = row.exactRefuses;

        const std::vector<ValueListEntry> entries{{"None", 0},          {"Damage can vary", 2}, {"2x hit", 13},
                                                  {"Random 'stop'", 36}, {"Random 'stop'", 38},  {"Causes chaos ", 50},
                                                  {"{Null}", 0}};
        const auto exact = resolveTypedValue(entries, {shownEntry, shownValue}, typed, "Inflicted Status",
                                             ValueFit::Exact);
        if (exactRefuses) {
            REQUIRE(!exact);
            REQUIRE_EQ(exact.error(), "Inflicted Status: \"" + typed
                                        + "\" is the label of 36 and 38; give the number of the one meant.");
        } else {
            REQUIRE_EQ(exact.ok(), entry != -2);
            if (exact)
                REQUIRE_EQ(exact->value, value);
        }
        const auto choice = resolveTypedValue(entries, {shownEntry, shownValue}, typed, "Inflicted Status");
        if (entry == -2) {
            REQUIRE(!choice);
            REQUIRE(contains(choice.error(), "Inflicted Status"));
            REQUIRE(contains(choice.error(), "\"" + typed + "\""));
            continue;
        }
        REQUIRE_MESSAGE(choice, (choice ? "" : choice.error().c_str()));
        REQUIRE_EQ(choice->entry, entry);
        REQUIRE_EQ(choice->value, value);
    }
}

TEST_CASE("codecDecodesAndEncodes")
{
    REQUIRE_EQ(decodeGameText(Bytes{0xA7, 0xBE, 0xC5, 0xC5, 0xC8, 0xEF}), std::string("Hello "));
    Bytes slot(11, 0x00);
    encodeGameText("Hi", slot);
    REQUIRE_EQ(slot, (Bytes{0xA7, 0xC2, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}));
    // characters without a code leave the byte in place; the rest are written
    Bytes kept(6, 0x11);
    encodeGameText("A-\xC3\xA9Z", kept);  // A, hyphen, e acute, Z
    REQUIRE_EQ(kept, (Bytes{0xA0, 0x11, 0x11, 0xB9, 0xEF, 0xEF}));
    // a text longer than its slot is cut
    Bytes short3(3, 0);
    encodeGameText("Golem", short3);
    REQUIRE_EQ(short3, (Bytes{0xA6, 0xC8, 0xC5}));
    // every byte decodes to its table entry
    for (int b = 0; b < 256; ++b)
        REQUIRE_EQ(decodeGameText(Bytes{std::uint8_t(b)}), std::string(CharTable()[b]));
}

TEST_CASE("codecRoundTripIsLossyOnlyWhereExpected")
{
    // every character with a code of its own comes back as the same byte
    for (int b = 0; b < 256; ++b) {
        const std::string_view c = CharTable()[b];
        if (c.empty() || b == 0xE7 || b == 0xF1)
            continue;
        Bytes slot(1, 0);
        encodeGameText(c, slot);
        REQUIRE_EQ(int(slot[0]), b);
    }
    Bytes slot{0xE7, 0x00, 0xF1, 0xA0};
    const std::string shown = decodeGameText(slot);
    REQUIRE_EQ(shown, std::string("'...A"));
    Bytes again(4, 0x55);
    encodeGameText(shown, again);
    REQUIRE_EQ(again, (Bytes{0xE2, 0xE8, 0xE8, 0xE8}));
}

TEST_CASE("imageAccessNeverCreatesOrGrowsAFile")
{
    TempFolder dir;
    const std::string missing = dir.filePath("missing.sfc");
    const Status w = RomImage(missing, IdentityCheck::Skipped).write(0, Bytes{1, 2});
    REQUIRE(!w);
    REQUIRE(w.error().find("no such file") != std::string::npos);
    REQUIRE(!fs::exists(missing));

    const std::string small = dir.filePath("small.sfc");
    writeFile(small, Bytes{9, 9, 9, 9});
    const Status past = RomImage(small, IdentityCheck::Skipped).write(3, Bytes{1, 2});
    REQUIRE(!past);
    REQUIRE_EQ(fileBytes(small), (Bytes{9, 9, 9, 9}));
    REQUIRE(RomImage(small, IdentityCheck::Skipped).write(2, Bytes{1, 2}));
    REQUIRE_EQ(fileBytes(small), (Bytes{9, 9, 1, 2}));

    fs::permissions(small, fs::perms::owner_read);
    if (::access(small.c_str(), W_OK) != 0) {  // root may write anyway
        const Status readOnly = RomImage(small, IdentityCheck::Skipped).write(0, Bytes{7});
        REQUIRE(!readOnly);
        REQUIRE(readOnly.error().find("small.sfc") != std::string::npos);
    }
    clearReadOnly(small);
    REQUIRE((fs::status(small).permissions() & fs::perms::owner_write) != fs::perms::none);
}

TEST_CASE("imageAccessReportsUnreadableFiles")
{
    TempFolder dir;
    const auto folder = RomImage(dir.path(), IdentityCheck::Skipped).read(0, 1);
    REQUIRE(!folder);
    REQUIRE(folder.error().find("folder") != std::string::npos);
    const std::string small = dir.filePath("small.sfc");
    writeFile(small, Bytes{1, 2, 3});
    const auto beyond = RomImage(small, IdentityCheck::Skipped).read(2, 2);
    REQUIRE(!beyond);
    REQUIRE(beyond.error().find(small) != std::string::npos);
    REQUIRE_EQ(*RomImage(small, IdentityCheck::Skipped).read(1, 2), (Bytes{2, 3}));
    REQUIRE(!readIdentityValue(small));
    REQUIRE(!RomImage("", IdentityCheck::Skipped).read(0, 1));

    // only regular files are opened, and nothing waits on a pipe
    const std::string pipePath = dir.filePath("pipe.sfc");
    PipeGuard pipe(pipePath);
    REQUIRE(pipe.made());
    for (const std::string& other : {pipePath, std::string("/dev/null")}) {
        const auto fromPipe = RomImage(other, IdentityCheck::Skipped).read(0, 1);
        REQUIRE(!fromPipe);
        REQUIRE_MESSAGE(fromPipe.error().find(other + ": it is not a regular file") != std::string::npos,
                 fromPipe.error().c_str());
        REQUIRE(!RomImage(other, IdentityCheck::Skipped).write(0, Bytes{1}));
        REQUIRE(!readIdentityValue(other));
    }
    REQUIRE(!pipe.released());
}

TEST_CASE("imageAccessChecksTheIdentityEveryTime")
{
    TempFolder dir;
    const std::string path = dir.filePath("image.sfc");
    REQUIRE(writeSampleImage(path));
    const RomImage image(path);
    REQUIRE(image.read(0x100, 2));
    REQUIRE(image.write(0x100, Bytes{1, 2}));

    // changed behind the program's back: refused, naming the file, the file untouched
    REQUIRE(RomImage(path, IdentityCheck::Skipped).write(kIdentityPosition + 3, Bytes{0xAC}));
    const Bytes changed = fileBytes(path);
    const auto read = image.read(0x100, 2);
    REQUIRE(!read);
    REQUIRE_MESSAGE(read.error().find(path) != std::string::npos, read.error().c_str());
    REQUIRE(read.error().find("not a Veldra Saga ROM") != std::string::npos);
    const Status written = image.write(0x100, Bytes{7, 7});
    REQUIRE(!written);
    REQUIRE(written.error().find(path) != std::string::npos);
    REQUIRE(!WriteGameText(image, 0x0C6700, "Renamed", 11));
    REQUIRE_EQ(fileBytes(path), changed);

    // too short to hold the value at all
    fs::resize_file(path, kIdentityPosition + 2);
    REQUIRE(!image.read(0, 1));
    REQUIRE(!image.write(0, Bytes{1}));
    REQUIRE(RomImage(path, IdentityCheck::Skipped).read(0, 1));
}

TEST_CASE("everyTableFitsItsImageAndItsNeighbours")
{
    const auto all = tables::all();
    for (const Table* t : all) {
        REQUIRE_MESSAGE(t->base + std::uint32_t(t->count) * t->recordSize <= kImageSize, t->name.data());
        REQUIRE(std::int32_t(t->count - 1) * t->recordSize <= 32767);
        for (const Field& f : t->fields) {
            const int width = f.width == Width::Word ? 2 : f.width == Width::Text ? t->recordSize : 1;
            REQUIRE_MESSAGE(f.offset + width <= t->recordSize, f.name.data());
            REQUIRE_EQ(f.width == Width::Bit, f.bit >= 0 && f.bit <= 7);
            REQUIRE(!f.label.empty());
            REQUIRE_EQ(t->field(f.name), &f);
        }
        // no two fields share a byte, unless they are distinct bits of it
        for (const Field& a : t->fields)
            for (const Field& b : t->fields) {
                if (&a == &b || a.offset != b.offset)
                    continue;
                REQUIRE_MESSAGE((a.width == Width::Bit && b.width == Width::Bit && a.bit != b.bit), a.name.data());
            }
    }
    for (const Table* a : all)
        for (const Table* b : all) {
            if (a == b)
                continue;
            const std::uint32_t aEnd = a->base + std::uint32_t(a->count) * a->recordSize;
            const std::uint32_t bEnd = b->base + std::uint32_t(b->count) * b->recordSize;
            REQUIRE_MESSAGE((aEnd <= b->base || bEnd <= a->base), (std::string(a->name) + " / " + std::string(b->name)).c_str());
        }
}

TEST_CASE("recordPositionRefusesEntriesOutsideTheTable")
{
    REQUIRE_EQ(*recordPosition(tables::npcSprites, 255), 0x24F223u + 255u * 5u);
    REQUIRE(!recordPosition(tables::npcSprites, 256));
    REQUIRE(!recordPosition(tables::weapons, -1));
    REQUIRE_EQ(*recordPosition(tables::chests, 0), tables::chests.base);
}

TEST_CASE("sampleImageIsAcceptedAndDeterministic")
{
    TempFolder dir;
    const std::string path = dir.filePath("sample.sfc");
    REQUIRE(writeSampleImage(path));
    REQUIRE_EQ(fs::file_size(path), std::uintmax_t(kImageSize));
    REQUIRE_EQ(*readIdentityValue(path), kIdentityValue);
    REQUIRE_EQ(fileBytes(path), makeSampleImage());
    // the identity bytes in another order are no image of the game
    const Bytes swapped{0xAD, 0x10, 0x4E, 0x20};
    REQUIRE(RomImage(path, IdentityCheck::Skipped).write(kIdentityPosition, swapped));
    REQUIRE(*readIdentityValue(path) != kIdentityValue);
}

TEST_CASE("sampleImageNeverReplacesAFile")
{
    TempFolder dir;
    const std::string path = dir.filePath("mine.sfc");
    const Bytes mine{1, 2, 3, 4, 5};
    writeFile(path, mine);
    const Status written = writeSampleImage(path);
    REQUIRE(!written);
    REQUIRE(written.error().find("already exists") != std::string::npos);
    REQUIRE_EQ(fileBytes(path), mine);
}

