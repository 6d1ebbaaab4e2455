#include "cli/csv.h"
#include "cli/import_reader.h"

#include <QTest>

// The readers of import files, as pure functions of the file's text.
class CliReadersTest : public QObject {
    Q_OBJECT
private slots:
    void csvReadsQuotedFields_data();
    void csvReadsQuotedFields();
    void csvKeepsLinesAndColumns();
    void csvRefusesBrokenQuoting_data();
    void csvRefusesBrokenQuoting();
    void csvFieldsQuoteWhatNeedsIt();
    void csvImportListsEveryFault();
    void jsonImportTakesAnySubsetAndListsEveryFault();
    void importRefusesWhatIsNoUtf8Text_data();
    void importRefusesWhatIsNoUtf8Text();
};

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

namespace {

Rows texts(const std::vector<CsvRecord>& records)
{
    Rows rows;
    for (const CsvRecord& record : records) {
        QStringList row;
        for (const CsvField& field : record)
            row << QString::fromStdString(field.text);
        rows << row;
    }
    return rows;
}

QStringList wheres(const ImportReading& reading)
{
    QStringList out;
    for (const Refusal& r : reading.refusals)
        out << QString::fromStdString(r.where + ": " + r.reason);
    return out;
}

}  // namespace

void CliReadersTest::csvReadsQuotedFields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("plain, LF") << QByteArray("a,b\n1,2\n") << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("CRLF, no final break") << QByteArray("a,b\r\n1,2") << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFindex,hp\r\n") << Rows{{"index", "hp"}};
    QTest::newRow("comma in quotes") << QByteArray("\"a,b\",c\n") << Rows{{"a,b", "c"}};
    QTest::newRow("doubled quote") << QByteArray("\"say \"\"hi\"\"\",x\n") << Rows{{"say \"hi\"", "x"}};
    QTest::newRow("line breaks in quotes") << QByteArray("\"two\r\nlines\",\"and\nthis\"\n")
                                           << Rows{{"two\r\nlines", "and\nthis"}};
    QTest::newRow("empty fields") << QByteArray(",,\n\"\",x\n") << Rows{{"", "", ""}, {"", "x"}};
    QTest::newRow("trailing comma at the end") << QByteArray("a,") << Rows{{"a", ""}};
    QTest::newRow("blanks kept") << QByteArray(" a ,\" b \"\n") << Rows{{" a ", " b "}};
}

void CliReadersTest::csvReadsQuotedFields()
{
    QFETCH(QByteArray, text);
    QFETCH(Rows, rows);
    const auto records = parseCsv(text.toStdString());
    QVERIFY2(records.ok(), records.error().c_str());
    QCOMPARE(texts(*records), rows);
}

void CliReadersTest::csvKeepsLinesAndColumns()
{
    const auto records = parseCsv("index,name\r\n0,\"two\nlines\"\r\n1,x\r\n");
    QVERIFY(records.ok());
    QCOMPARE(records->size(), std::size_t(3));
    QCOMPARE((*records)[1][1].line, std::size_t(2));
    QCOMPARE((*records)[1][1].column, std::size_t(2));
    QCOMPARE((*records)[2][0].line, std::size_t(4));  // after the quoted line break
    QCOMPARE((*records)[2][1].column, std::size_t(2));
}

void CliReadersTest::csvRefusesBrokenQuoting_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("where");
    QTest::newRow("never closed") << QByteArray("a\n\"open,b\nc\n") << "line 2, column 1";
    QTest::newRow("quote in a plain field") << QByteArray("a,b\n1,x\"y\n") << "line 2, column 2";
    QTest::newRow("text after the closing quote") << QByteArray("\"a\"b,c\n") << "line 1, column 1";
}

void CliReadersTest::csvRefusesBrokenQuoting()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, where);
    const auto records = parseCsv(text.toStdString());
    QVERIFY(!records.ok());
    QVERIFY2(QString::fromStdString(records.error()).startsWith(where), records.error().c_str());
}

void CliReadersTest::csvFieldsQuoteWhatNeedsIt()
{
    QCOMPARE(csvField("plain"), std::string("plain"));
    QCOMPARE(csvField("a,b"), std::string("\"a,b\""));
    QCOMPARE(csvField("say \"hi\""), std::string("\"say \"\"hi\"\"\""));
    QCOMPARE(csvField("Imp 3      "), std::string("\"Imp 3      \""));
    QCOMPARE(csvField("two\nlines"), std::string("\"two\nlines\""));
    // what is written reads back the same
    const std::string tricky = "a \"b\", c\r\nd ";
    const auto back = parseCsv(csvField(tricky) + "," + csvField("x") + "\r\n");
    QVERIFY(back.ok());
    QCOMPARE((*back)[0][0].text, tricky);
    // a field starting with a byte-order mark keeps it, first in the file too (found by fuzzing)
    const std::string marked = "\xEF\xBB\xBFindex";
    const auto first = parseCsv(csvField(marked) + "\r\n");
    QVERIFY(first.ok());
    QCOMPARE((*first)[0][0].text, marked);
}

void CliReadersTest::csvImportListsEveryFault()
{
    const ImportReading header = readCsvImport("index,hp,nosuch,hp\r\n0,1,2,3\r\n", "enemy-stats");
    QCOMPARE(wheres(header).size(), 2);
    QVERIFY(wheres(header)[0].startsWith("line 1, column 3: "));
    QVERIFY(wheres(header)[0].contains("nosuch"));
    QVERIFY(wheres(header)[1].startsWith("line 1, column 4: "));

    const ImportReading rows = readCsvImport("index,s1,hit\r\n0,100,50\r\nx,1,2\r\n3,4\r\n\r\n\"5\",7,8\r\n", "enemy-stats");
    QCOMPARE(wheres(rows).size(), 2);
    QVERIFY(wheres(rows)[0].startsWith("line 3, column 1: "));
    QVERIFY(wheres(rows)[1].startsWith("line 4: the row has 2 fields"));
    QCOMPARE(rows.edits.size(), std::size_t(4));  // the aliased s1 is the key hp
    QCOMPARE(rows.edits[0].field->key, std::string("hp"));
    QCOMPARE(rows.edits[0].text, std::string("100"));
    QCOMPARE(rows.edits[3].index, std::int64_t(5));
    QCOMPARE(placeOf(rows.edits[3]), std::string("line 6, column 3 (enemy-stats[5].hit)"));
}

void CliReadersTest::jsonImportTakesAnySubsetAndListsEveryFault()
{
    const ImportReading good = readJsonImport(R"({"image": {"path": "x"}, "tables": {"weapons": [
        {"index": 2, "attack": 98, "inflicted-status": "Random 'slow'"}, {"index": 3, "critical-hit": 2.5}],
        "enemy-names": [{"index": 7, "name": "Bat"}], "accessory-equip": [{"index": 0, "pc-1": true}]}})");
    QVERIFY(good.refusals.empty());
    QCOMPARE(good.edits.size(), std::size_t(5));
    QCOMPARE(good.edits[1].text, std::string("Random 'slow'"));
    QCOMPARE(good.edits[2].text, std::string("2.5"));
    QCOMPARE(good.edits[4].text, std::string("true"));
    QCOMPARE(placeOf(good.edits[0]), std::string("tables.weapons[0].attack (weapons[2].attack)"));

    const ImportReading bad = readJsonImport(R"({"tables": {"nosuch": [], "weapons": [{"attack": 1},
        {"index": 1, "attack": [1]}, 5], "armor": {}}})");
    const QStringList faults = wheres(bad);
    QCOMPARE(faults.size(), 5);
    QVERIFY(faults[0].startsWith("tables.nosuch: "));
    QVERIFY(faults[1].startsWith("tables.weapons[0]: "));
    QVERIFY(faults[2].startsWith("tables.weapons[1].attack"));
    QVERIFY(faults[3].startsWith("tables.weapons[2]: "));
    QVERIFY(faults[4].startsWith("tables.armor: "));

    QCOMPARE(readJsonImport("{\"tables\": ").refusals.size(), std::size_t(1));
    QCOMPARE(readJsonImport("[1, 2]").refusals.size(), std::size_t(1));
}

void CliReadersTest::importRefusesWhatIsNoUtf8Text_data()
{
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("where");  // empty: a sound text
    QTest::addColumn<QString>("what");
    const QByteArray entry4 = R"({"tables": {"weapons": [{"index": 4, "attack": 1}]}})";
    const QByteArray entry5 = R"({"tables": {"weapons": [{"index": 5, "attack": 2}]}})";
    // the JSON parser took a NUL for the end of the text and read the first object alone
    QTest::newRow("JSON, a NUL between two objects") << false << entry4 + QByteArray(1, '\0') + entry5
                                                     << "line 1, column 53 (byte offset 52)" << "a NUL byte";
    QTest::newRow("JSON, a NUL at the end") << false << entry4 + QByteArray(1, '\0') << "line 1, column 53 (byte offset 52)"
                                            << "a NUL byte";
    QTest::newRow("JSON, a byte that is no UTF-8 in a name")
        << false << QByteArray("{\"tables\": {\"weapons\": [\n  {\"index\": 4, \"attack\": 1},\n  {\"index\": 5, \"name\": \"x\xFFy\"}]}}")
        << "line 3, column 26 (byte offset 79)" << "the byte 0xFF, which is not UTF-8";
    QTest::newRow("JSON, an overlong slash") << false << QByteArray("{\"tables\": {}, \"x\": \"\xC0\xAF\"}")
                                             << "line 1, column 22 (byte offset 21)" << "the byte 0xC0";
    QTest::newRow("JSON, an encoded surrogate") << false << QByteArray("{\"tables\": {}, \"x\": \"\xED\xA0\x80\"}")
                                                << "line 1, column 22 (byte offset 21)" << "the byte 0xED";
    QTest::newRow("JSON, sound text with accents") << false << QByteArray("{\"tables\": {}, \"x\": \"\xC3\xA9\xE2\x82\xAC\"}")
                                                   << "" << "";
    QTest::newRow("CSV, a NUL in a cell") << true << QByteArray("index,hp\r\n3,12") + QByteArray(1, '\0') + "\r\n4,13\r\n"
                                          << "line 2, column 5 (byte offset 14)" << "a NUL byte";
    QTest::newRow("CSV, columns count characters") << true << QByteArray("index,name\r\n7,B\xC3\xA9\xFF\r\n")
                                                   << "line 2, column 5 (byte offset 17)" << "the byte 0xFF";
    QTest::newRow("CSV, a sequence cut off at the end") << true << QByteArray("\xEF\xBB\xBFindex,name\r\n7,x\xE2\x82")
                                                        << "line 2, column 4 (byte offset 18)" << "the byte 0xE2";
    QTest::newRow("CSV, a byte-order mark and accents") << true << QByteArray("\xEF\xBB\xBFindex,name\r\n7,\"\xC3\xA9\"\r\n")
                                                        << "" << "";
}

void CliReadersTest::importRefusesWhatIsNoUtf8Text()
{
    QFETCH(bool, csv);
    QFETCH(QByteArray, text);
    QFETCH(QString, where);
    QFETCH(QString, what);
    const std::string_view bytes(text.constData(), std::size_t(text.size()));
    const ImportReading reading = csv ? readCsvImport(bytes, "enemy-names") : readJsonImport(bytes);
    if (where.isEmpty()) {
        QVERIFY2(reading.refusals.empty(), qPrintable(wheres(reading).join('\n')));
        return;
    }
    // the whole file is refused, nothing of it read
    QCOMPARE(reading.edits.size(), std::size_t(0));
    QCOMPARE(wheres(reading).size(), 1);
    QCOMPARE(QString::fromStdString(reading.refusals[0].where), where);
    QVERIFY2(wheres(reading)[0].contains(what), qPrintable(wheres(reading)[0]));
    QVERIFY2(wheres(reading)[0].contains("UTF-8 text"), qPrintable(wheres(reading)[0]));
}

QTEST_GUILESS_MAIN(CliReadersTest)
#include "test_cli_readers.moc"
