#include "cli/csv.h"
#include "cli/import_reader.h"

#include <doctest/doctest.h>

#include <string>
#include <string_view>
#include <vector>

// The readers of import files, as pure functions of the file's text.
using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

namespace {

Rows texts(const std::vector<CsvRecord>& records)
{
    Rows rows;
    for (const CsvRecord& record : records) {
        std::vector<std::string> row;
        for (const CsvField& field : record)
            row.push_back(field.text);
        rows.push_back(row);
    }
    return rows;
}

Texts wheres(const ImportReading& reading)
{
    Texts out;
    for (const Refusal& r : reading.refusals)
        out.push_back(r.where + ": " + r.reason);
    return out;
}

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_CASE("csvReadsQuotedFields")
{
    struct Row {
        const char* name;
        std::string text;
        Rows rows;
    };
    const Row rows[] = {
        {"plain, LF", std::string("a,b\n1,2\n"), Rows{{"a", "b"}, {"1", "2"}}},
        {"CRLF, no final break", std::string("a,b\r\n1,2"), Rows{{"a", "b"}, {"1", "2"}}},
        {"byte-order mark", std::string("\xEF\xBB\xBFindex,hp\r\n"), Rows{{"index", "hp"}}},
        {"comma in quotes", std::string("\"a,b\",c\n"), Rows{{"a,b", "c"}}},
        {"doubled quote", std::string("\"say \"\"hi\"\"\",x\n"), Rows{{"say \"hi\"", "x"}}},
        {"line breaks in quotes", std::string("\"two\r\nlines\",\"and\nthis\"\n"), Rows{{"two\r\nlines", "and\nthis"}}},
        {"empty fields", std::string(",,\n\"\",x\n"), Rows{{"", "", ""}, {"", "x"}}},
        {"trailing comma at the end", std::string("a,"), Rows{{"a", ""}}},
        {"blanks kept", std::string(" a ,\" b \"\n"), Rows{{" a ", " b "}}},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& text = row.text;
        const auto& rows = row.rows;

        const auto records = parseCsv(text);
        REQUIRE_MESSAGE(records.ok(), records.error().c_str());
        REQUIRE_EQ(texts(*records), rows);
    }
}

TEST_CASE("csvKeepsLinesAndColumns")
{
    const auto records = parseCsv("index,name\r\n0,\"two\nlines\"\r\n1,x\r\n");
    REQUIRE(records.ok());
    REQUIRE_EQ(records->size(), std::size_t(3));
    REQUIRE_EQ((*records)[1][1].line, std::size_t(2));
    REQUIRE_EQ((*records)[1][1].column, std::size_t(2));
    REQUIRE_EQ((*records)[2][0].line, std::size_t(4));  // after the quoted line break
    REQUIRE_EQ((*records)[2][1].column, std::size_t(2));
}

TEST_CASE("csvRefusesBrokenQuoting")
{
    struct Row {
        const char* name;
        std::string text;
        std::string where;
    };
    const Row rows[] = {
        {"never closed", std::string("a\n\"open,b\nc\n"), "line 2, column 1"},
        {"quote in a plain field", std::string("a,b\n1,x\"y\n"), "line 2, column 2"},
        {"text after the closing quote", std::string("\"a\"b,c\n"), "line 1, column 1"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& text = row.text;
        const auto& where = row.where;

        const auto records = parseCsv(text);
        REQUIRE(!records.ok());
        REQUIRE_MESSAGE(startsWith(records.error(), where), records.error().c_str());
    }
}

TEST_CASE("csvFieldsQuoteWhatNeedsIt")
{
    REQUIRE_EQ(csvField("plain"), std::string("plain"));
    REQUIRE_EQ(csvField("a,b"), std::string("\"a,b\""));
    REQUIRE_EQ(csvField("say \"hi\""), std::string("\"say \"\"hi\"\"\""));
    REQUIRE_EQ(csvField("Imp 3      "), std::string("\"Imp 3      \""));
    REQUIRE_EQ(csvField("two\nlines"), std::string("\"two\nlines\""));
    // what is written reads back the same
    const std::string tricky = "a \"b\", c\r\nd ";
    const auto back = parseCsv(csvField(tricky) + "," + csvField("x") + "\r\n");
    REQUIRE(back.ok());
    REQUIRE_EQ((*back)[0][0].text, tricky);
    // a field starting with a byte-order mark keeps it, first in the file too (found by fuzzing)
    const std::string marked = "\xEF\xBB\xBFindex";
    const auto first = parseCsv(csvField(marked) + "\r\n");
    REQUIRE(first.ok());
    REQUIRE_EQ((*first)[0][0].text, marked);
}

TEST_CASE("csvImportListsEveryFault")
{
    const ImportReading header = readCsvImport("index,hp,nosuch,hp\r\n0,1,2,3\r\n", "enemy-stats");
    REQUIRE_EQ(wheres(header).size(), std::size_t(2));
    REQUIRE(startsWith(wheres(header)[0], "line 1, column 3: "));
    REQUIRE(contains(wheres(header)[0], "nosuch"));
    REQUIRE(startsWith(wheres(header)[1], "line 1, column 4: "));

    const ImportReading rows = readCsvImport("index,s1,hit\r\n0,100,50\r\nx,1,2\r\n3,4\r\n\r\n\"5\",7,8\r\n", "enemy-stats");
    REQUIRE_EQ(wheres(rows).size(), std::size_t(2));
    REQUIRE(startsWith(wheres(rows)[0], "line 3, column 1: "));
    REQUIRE(startsWith(wheres(rows)[1], "line 4: the row has 2 fields"));
    const ImportReading one = readCsvImport("index,hp\r\n7\r\n", "enemy-stats");
    REQUIRE_EQ(wheres(one), Texts{"line 2: the row has 1 field; the header has 2"});
    REQUIRE_EQ(rows.edits.size(), std::size_t(4));  // the aliased s1 is the key hp
    REQUIRE_EQ(rows.edits[0].field->key, std::string("hp"));
    REQUIRE_EQ(rows.edits[0].text, std::string("100"));
    REQUIRE_EQ(rows.edits[3].index, std::int64_t(5));
    REQUIRE_EQ(placeOf(rows.edits[3]), std::string("line 6, column 3 (enemy-stats[5].hit)"));
}

TEST_CASE("jsonImportTakesAnySubsetAndListsEveryFault")
{
    const ImportReading good = readJsonImport(R"({"image": {"path": "x"}, "tables": {"weapons": [
        {"index": 2, "attack": 98, "inflicted-status": "Random 'slow'"}, {"index": 3, "critical-hit": 2.5}],
        "enemy-names": [{"index": 7, "name": "Bat"}], "accessory-equip": [{"index": 0, "pc-1": true}]}})");
    REQUIRE(good.refusals.empty());
    REQUIRE_EQ(good.edits.size(), std::size_t(5));
    REQUIRE_EQ(good.edits[1].text, std::string("Random 'slow'"));
    REQUIRE_EQ(good.edits[2].text, std::string("2.5"));
    REQUIRE_EQ(good.edits[4].text, std::string("true"));
    REQUIRE_EQ(placeOf(good.edits[0]), std::string("tables.weapons[0].attack (weapons[2].attack)"));

    const ImportReading bad = readJsonImport(R"({"tables": {"nosuch": [], "weapons": [{"attack": 1},
        {"index": 1, "attack": [1]}, 5], "armor": {}}})");
    const Texts faults = wheres(bad);
    REQUIRE_EQ(faults.size(), std::size_t(5));
    REQUIRE(startsWith(faults[0], "tables.nosuch: "));
    REQUIRE(startsWith(faults[1], "tables.weapons[0]: "));
    REQUIRE(startsWith(faults[2], "tables.weapons[1].attack"));
    REQUIRE(startsWith(faults[3], "tables.weapons[2]: "));
    REQUIRE(startsWith(faults[4], "tables.armor: "));

    REQUIRE_EQ(readJsonImport("{\"tables\": ").refusals.size(), std::size_t(1));
    REQUIRE_EQ(readJsonImport("[1, 2]").refusals.size(), std::size_t(1));
}

TEST_CASE("importRefusesWhatIsNoUtf8Text")
{
    const std::string entry4 = R"({"tables": {"weapons": [{"index": 4, "attack": 1}]}})";
    const std::string entry5 = R"({"tables": {"weapons": [{"index": 5, "attack": 2}]}})";
    struct Row {
        const char* name;
        bool csv;
        std::string text;
        std::string where;  // empty: a sound text
        std::string what;
    };
    const Row rows[] = {
        // the JSON parser took a NUL for the end of the text and read the first object alone
        {"JSON, a NUL between two objects", false, entry4 + std::string(1, '\0') + entry5, "line 1, column 53 (byte offset 52)", "a NUL byte"},
        {"JSON, a NUL at the end", false, entry4 + std::string(1, '\0'), "line 1, column 53 (byte offset 52)", "a NUL byte"},
        {"JSON, a byte that is no UTF-8 in a name", false, std::string("{\"tables\": {\"weapons\": [\n  {\"index\": 4, \"attack\": 1},\n  {\"index\": 5, \"name\": \"x\xFFy\"}]}}"), "line 3, column 26 (byte offset 79)", "the byte 0xFF, which is not UTF-8"},
        {"JSON, an overlong slash", false, std::string("{\"tables\": {}, \"x\": \"\xC0\xAF\"}"), "line 1, column 22 (byte offset 21)", "the byte 0xC0"},
        {"JSON, an encoded surrogate", false, std::string("{\"tables\": {}, \"x\": \"\xED\xA0\x80\"}"), "line 1, column 22 (byte offset 21)", "the byte 0xED"},
        {"JSON, sound text with accents", false, std::string("{\"tables\": {}, \"x\": \"\xC3\xA9\xE2\x82\xAC\"}"), "", ""},
        {"CSV, a NUL in a cell", true, std::string("index,hp\r\n3,12") + std::string(1, '\0') + "\r\n4,13\r\n", "line 2, column 5 (byte offset 14)", "a NUL byte"},
        {"CSV, columns count characters", true, std::string("index,name\r\n7,B\xC3\xA9\xFF\r\n"), "line 2, column 5 (byte offset 17)", "the byte 0xFF"},
        {"CSV, a sequence cut off at the end", true, std::string("\xEF\xBB\xBFindex,name\r\n7,x\xE2\x82"), "line 2, column 4 (byte offset 18)", "the byte 0xE2"},
        {"CSV, a byte-order mark and accents", true, std::string("\xEF\xBB\xBFindex,name\r\n7,\"\xC3\xA9\"\r\n"), "", ""},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const auto& csv = row.csv;
        const auto& text = row.text;
        const auto& where = row.where;
        const auto& what = row.what;

        const std::string_view bytes(text);
        const ImportReading reading = csv ? readCsvImport(bytes, "enemy-names") : readJsonImport(bytes);
        if (where.empty()) {
            REQUIRE_MESSAGE(reading.refusals.empty(), (reading.refusals.empty() ? "" : wheres(reading)[0]).c_str());
            continue;
        }
        // the whole file is refused, nothing of it read
        REQUIRE_EQ(reading.edits.size(), std::size_t(0));
        REQUIRE_EQ(wheres(reading).size(), std::size_t(1));
        REQUIRE_EQ(reading.refusals[0].where, where);
        REQUIRE_MESSAGE(contains(wheres(reading)[0], what), wheres(reading)[0].c_str());
        REQUIRE_MESSAGE(contains(wheres(reading)[0], "UTF-8 text"), wheres(reading)[0].c_str());
    }
}


namespace {

// `text` as a file in UTF-16 with its byte-order mark, as PowerShell 5.1's `>` writes it.
std::string utf16File(std::u16string_view text, bool bigEndian = false)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = char(unit >> 8);
        const char low = char(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

}  // namespace

TEST_CASE("csvImportReadsWhatSpreadsheetsAndPowerShellWrite")
{
    struct Row {
        const char* name;
        std::string text;
        Texts values;  // the edits' texts, in order
    };
    const Row rows[] = {
        {"semicolons (a spreadsheet set to German)", "index;hp;hit-effect\r\n1;4321;5 - Causes HP Leak\r\n",
         Texts{"4321", "5 - Causes HP Leak"}},
        {"semicolons, quoted fields with both marks", "\xEF\xBB\xBF\"index\";\"hp\";hit\r\n2;\"7\";\"2,5\"\r\n",
         Texts{"7", "2,5"}},
        {"commas stay commas where the header has one first", "index,hp\r\n3,\"1;2\"\r\n", Texts{"1;2"}},
        {"UTF-16, little-endian", utf16File(u"index,hp\r\n4,12\r\n5,13\r\n"), Texts{"12", "13"}},
        {"UTF-16, big-endian, semicolons", utf16File(u"index;hp\r\n4;99\r\n", true), Texts{"99"}},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const ImportReading reading = readCsvImport(row.text, "enemy-stats");
        REQUIRE_MESSAGE(reading.refusals.empty(), (reading.refusals.empty() ? "" : wheres(reading)[0]).c_str());
        Texts values;
        for (const FieldEdit& edit : reading.edits)
            values.push_back(edit.text);
        REQUIRE_EQ(values, row.values);
    }
    // characters beyond ASCII, a pair of UTF-16 units among them, arrive as UTF-8
    const ImportReading names = readCsvImport(utf16File(u"index,name\r\n7,\"B\u00E9 \U0001F3AE\"\r\n"), "enemy-names");
    REQUIRE(names.refusals.empty());
    REQUIRE_EQ(names.edits.at(0).text, std::string("B\xC3\xA9 \xF0\x9F\x8E\xAE"));
    REQUIRE_EQ(placeOf(names.edits.at(0)), std::string("line 2, column 2 (enemy-names[7].name)"));
    const ImportReading json = readJsonImport(utf16File(u"{\"tables\": {\"weapons\": [{\"index\": 4, \"attack\": 1}]}}"));
    REQUIRE(json.refusals.empty());
    REQUIRE_EQ(json.edits.size(), std::size_t(1));
}

TEST_CASE("brokenUtf16IsRefusedWhole")
{
    struct Row {
        const char* name;
        std::string text;
        std::string where;
        std::string what;
    };
    const Row rows[] = {
        {"a first half alone", utf16File(u"index,name\r\n7,x") + std::string("\x00\xD8" "a\x00", 4), "line 2, column 4 (byte offset 32)", "0xD800"},
        {"a second half alone", utf16File(u"index,name\r\n") + std::string("\x00\xDC", 2), "line 2, column 1 (byte offset 26)", "0xDC00"},
        {"an odd byte at the end", utf16File(u"index,name\r\n7,x") + "y", "line 2, column 4 (byte offset 32)", "a single byte"},
        {"UTF-16 without its mark", utf16File(u"index,name\r\n").substr(2), "line 1, column 2 (byte offset 1)", "looks like UTF-16 without a byte-order mark"},
    };
    for (const Row& row : rows) {
        INFO(row.name);
        const ImportReading reading = readCsvImport(row.text, "enemy-names");
        REQUIRE_EQ(reading.edits.size(), std::size_t(0));
        REQUIRE_EQ(wheres(reading).size(), std::size_t(1));
        REQUIRE_EQ(reading.refusals[0].where, row.where);
        REQUIRE_MESSAGE(contains(reading.refusals[0].reason, row.what), reading.refusals[0].reason.c_str());
    }
}

TEST_CASE("aCsvFileNamesItsTableInAnyCase")
{
    const std::pair<const char*, const char*> cases[] = {
        {"enemy-stats.csv", "enemy-stats"}, {"Enemy-Stats.csv", "enemy-stats"}, {"WEAPONS.CSV", "weapons"},
        {"Armor.Csv", "armor"}, {"nosuch.csv", ""}, {"weapons.json", ""}, {".csv", ""}, {"weapons.csv.txt", ""}};
    for (const auto& [name, table] : cases) {
        INFO(name);
        REQUIRE_EQ(tableOfCsvName(name), std::string(table));
    }
}
