#include "tests/support/pipe_guard.h"

#include "rom/game_text.h"
#include "rom/identity.h"
#include "rom/numeric_text.h"
#include "rom/rom_image.h"
#include "rom/sample_image.h"
#include "rom/tables.h"
#include "rom/value_list.h"
#include "rom/word_conv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

Q_DECLARE_METATYPE(EntryRule)

namespace {

Bytes fileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

void writeFile(const QString& path, const Bytes& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

class CoreTest : public QObject {
    Q_OBJECT
private slots:
    void numericValueReadsTheFieldNotations_data();
    void numericValueReadsTheFieldNotations();
    void entryRules_data();
    void entryRules();
    void saveConversions_data();
    void saveConversions();
    void wordConversions();
    void typedValueListText_data();
    void typedValueListText();
    void codecDecodesAndEncodes();
    void codecRoundTripIsLossyOnlyWhereExpected();
    void imageAccessNeverCreatesOrGrowsAFile();
    void imageAccessReportsUnreadableFiles();
    void imageAccessChecksTheIdentityEveryTime();
    void everyTableFitsItsImageAndItsNeighbours();
    void recordPositionRefusesEntriesOutsideTheTable();
    void sampleImageIsAcceptedAndDeterministic();
    void sampleImageNeverReplacesAFile();
};

void CoreTest::numericValueReadsTheFieldNotations_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "37" << true << 37.0;
    QTest::newRow("blanks around") << "  12 " << true << 12.0;
    QTest::newRow("sign") << "-3" << true << -3.0;
    QTest::newRow("plus") << "+4" << true << 4.0;
    QTest::newRow("point") << "2.5" << true << 2.5;
    QTest::newRow("lead point") << ".5" << true << 0.5;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("hex") << "&HFF" << true << 255.0;
    QTest::newRow("hex lower") << "&h10" << true << 16.0;
    QTest::newRow("leading zero") << "0255" << true << 255.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("lone sign") << "-" << false << 0.0;
    QTest::newRow("lone point") << "." << false << 0.0;
    QTest::newRow("trailing junk") << "12x" << false << 0.0;
    QTest::newRow("bare hex prefix") << "&H" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("dangling exponent") << "1e" << false << 0.0;
    QTest::newRow("too large") << "1e999" << true << qInf();
    QTest::newRow("too small: nearly 0") << "1e-999" << true << 0.0;
    QTest::newRow("too small, negative") << "-1e-999" << true << 0.0;
    QTest::newRow("too small, long fraction") << "0." + QString(400, '0') + "7" << true << 0.0;
    QTest::newRow("large mantissa, small exponent") << "5" + QString(400, '0') + "e-399" << true << 50.0;
}

void CoreTest::numericValueReadsTheFieldNotations()
{
    QFETCH(QString, text);
    QFETCH(bool, hasValue);
    QFETCH(double, value);
    const auto v = numericValue(text.toStdString());
    QCOMPARE(v.has_value(), hasValue);
    if (hasValue)
        QCOMPARE(*v, value);
}

void CoreTest::entryRules_data()
{
    QTest::addColumn<EntryRule>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("clamped empty") << EntryRule::ClampedByte << "" << "0";
    QTest::newRow("clamped 300") << EntryRule::ClampedByte << "300" << "255";
    QTest::newRow("clamped 255") << EntryRule::ClampedByte << "255" << "255";
    QTest::newRow("clamped 255.0") << EntryRule::ClampedByte << "255.0" << "255";
    QTest::newRow("clamped 0255") << EntryRule::ClampedByte << "0255" << "255";
    QTest::newRow("clamped 254") << EntryRule::ClampedByte << "254" << "254";
    QTest::newRow("clamped &HFF") << EntryRule::ClampedByte << "&HFF" << "255";
    QTest::newRow("clamped &H10") << EntryRule::ClampedByte << "&H10" << "&H10";
    QTest::newRow("clamped negative") << EntryRule::ClampedByte << "-4" << "-4";
    QTest::newRow("clamped tiny") << EntryRule::ClampedByte << "1e-999" << "1e-999";
    QTest::newRow("clamped huge") << EntryRule::ClampedByte << "1e999" << "255";
    QTest::newRow("clamped letters") << EntryRule::ClampedByte << "ab" << "ab";
    QTest::newRow("open empty") << EntryRule::OpenEnded << "" << "0";
    QTest::newRow("open 70000") << EntryRule::OpenEnded << "70000" << "70000";
    QTest::newRow("non-negative -3") << EntryRule::NonNegative << "-3" << "0";
    QTest::newRow("non-negative 1000") << EntryRule::NonNegative << "1000" << "1000";
    QTest::newRow("non-negative empty") << EntryRule::NonNegative << "" << "";
}

void CoreTest::entryRules()
{
    QFETCH(EntryRule, rule);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(QString::fromStdString(applyEntryRule(rule, text.toStdString())), result);
}

void CoreTest::saveConversions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("byte");  // -1: refused
    QTest::addColumn<int>("word");  // -1: refused
    QTest::newRow("plain") << "200" << 200 << 200;
    QTest::newRow("half to even down") << "2.5" << 2 << 2;
    QTest::newRow("half to even up") << "3.5" << 4 << 4;
    QTest::newRow("rounds into range") << "255.4" << 255 << 255;
    QTest::newRow("rounds out of range") << "255.5" << -1 << 256;
    QTest::newRow("negative") << "-1" << -1 << -1;
    QTest::newRow("small negative rounds to 0") << "-0.4" << 0 << 0;
    QTest::newRow("word top") << "65535" << -1 << 65535;
    QTest::newRow("word over") << "65536" << -1 << -1;
    QTest::newRow("letters") << "x" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
    QTest::newRow("huge") << "1e300" << -1 << -1;
    QTest::newRow("beyond double") << "1e999" << -1 << -1;
    QTest::newRow("below double rounds to 0") << "1e-999" << 0 << 0;
    QTest::newRow("hex") << "&HFF" << 255 << 255;
}

void CoreTest::saveConversions()
{
    QFETCH(QString, text);
    QFETCH(int, byte);
    QFETCH(int, word);
    const auto b = byteFromText(text.toStdString(), "Attack");
    QCOMPARE(b.ok(), byte >= 0);
    if (b)
        QCOMPARE(int(*b), byte);
    else
        QVERIFY(b.error().find("Attack must be a whole number from 0 to 255") == 0);
    const auto w = wordFromText(text.toStdString(), "HP");
    QCOMPARE(w.ok(), word >= 0);
    if (w)
        QCOMPARE(int(*w), word);
    else
        QVERIFY(w.error().find(std::string(kWordConversionError)) == 0 && w.error().find("HP must be") != std::string::npos);
}

void CoreTest::wordConversions()
{
    QCOMPARE(HexToUnsigned("FFFF"), std::int64_t(65535));
    QCOMPARE(HexToUnsigned("&hffffffff"), std::int64_t(4294967295));
    QCOMPARE(HexToUnsigned("1G"), std::int64_t(0));
    QCOMPARE(HexToUnsigned(""), std::int64_t(0));
    QCOMPARE(HexToUnsigned("123456789"), std::int64_t(591751049));
    QCOMPARE(SignedToUnsigned(std::int16_t(-1)), std::int64_t(65535));
    QCOMPARE(SignedToUnsigned(std::int16_t(-32768)), std::int64_t(32768));
    QCOMPARE(SignedToUnsigned(std::int16_t(255)), std::int64_t(255));
    QCOMPARE(SignedToUnsigned(std::int32_t(-1)), std::int64_t(4294967295));
    QCOMPARE(UnsignedToSigned(65535), std::optional<std::int16_t>(-1));
    QCOMPARE(UnsignedToSigned(32768), std::optional<std::int16_t>(-32768));
    QCOMPARE(UnsignedToSigned(32767), std::optional<std::int16_t>(32767));
    QVERIFY(!UnsignedToSigned(65536));
    QVERIFY(!UnsignedToSigned(-1));
}

void CoreTest::typedValueListText_data()
{
    QTest::addColumn<int>("shownEntry");
    QTest::addColumn<int>("shownValue");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("entry");  // -2: refused
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("exactRefuses");  // a script's value (ValueFit::Exact) is refused where the window picks
    // entries: 0 "None"=0, 1 "Damage can vary"=2, 2 "2x hit"=13, 3 "Random 'stop'"=36,
    // 4 "Random 'stop'"=38, 5 "Causes chaos "=50, 6 "{Null}"=0
    QTest::newRow("a number that starts a label") << 0 << 0 << "2" << 1 << 2 << false;
    QTest::newRow("a label") << 0 << 0 << "2x hit" << 2 << 13 << false;
    QTest::newRow("a label without its trailing blank") << 0 << 0 << "Causes chaos" << 5 << 50 << false;
    QTest::newRow("blanks around a number") << 0 << 0 << " 50 " << 5 << 50 << false;
    QTest::newRow("a shared label, one of them shown") << 4 << 38 << "Random 'stop'" << 4 << 38 << false;
    QTest::newRow("a shared label, neither shown") << 0 << 0 << "Random 'stop'" << 3 << 36 << true;
    QTest::newRow("a shared number, the later one shown") << 6 << 0 << "0" << 6 << 0 << false;
    QTest::newRow("a shared number, neither shown") << 1 << 2 << "0" << 0 << 0 << false;
    QTest::newRow("the bare stored number kept") << -1 << 5 << "5" << -1 << 5 << false;
    QTest::newRow("another bare number") << -1 << 5 << "6" << -2 << 0 << false;
    QTest::newRow("a prefix of a label") << 0 << 0 << "Dam" << -2 << 0 << false;
    QTest::newRow("another case") << 0 << 0 << "none" << -2 << 0 << false;
    QTest::newRow("nothing") << 0 << 0 << "" << -2 << 0 << false;
    QTest::newRow("blanks only") << 0 << 0 << "  " << -2 << 0 << false;
    QTest::newRow("a shared label without its blank, neither shown") << 0 << 0 << " Random 'stop' " << 3 << 36 << true;
}

void CoreTest::typedValueListText()
{
    QFETCH(int, shownEntry);
    QFETCH(int, shownValue);
    QFETCH(QString, typed);
    QFETCH(int, entry);
    QFETCH(int, value);
    QFETCH(bool, exactRefuses);
    const std::vector<ValueListEntry> entries{{"None", 0},          {"Damage can vary", 2}, {"2x hit", 13},
                                              {"Random 'stop'", 36}, {"Random 'stop'", 38},  {"Causes chaos ", 50},
                                              {"{Null}", 0}};
    const auto exact = resolveTypedValue(entries, {shownEntry, shownValue}, typed.toStdString(), "Inflicted Status",
                                         ValueFit::Exact);
    if (exactRefuses) {
        QVERIFY(!exact);
        QCOMPARE(exact.error(), "Inflicted Status: \"" + typed.toStdString()
                                    + "\" is the label of 36 and 38; give the number of the one meant.");
    } else {
        QCOMPARE(exact.ok(), entry != -2);
        if (exact)
            QCOMPARE(exact->value, value);
    }
    const auto choice = resolveTypedValue(entries, {shownEntry, shownValue}, typed.toStdString(), "Inflicted Status");
    if (entry == -2) {
        QVERIFY(!choice);
        QVERIFY(QString::fromStdString(choice.error()).contains("Inflicted Status"));
        QVERIFY(QString::fromStdString(choice.error()).contains("\"" + typed + "\""));
        return;
    }
    QVERIFY2(choice, choice ? "" : choice.error().c_str());
    QCOMPARE(choice->entry, entry);
    QCOMPARE(choice->value, value);
}

void CoreTest::codecDecodesAndEncodes()
{
    QCOMPARE(decodeGameText(Bytes{0xA7, 0xBE, 0xC5, 0xC5, 0xC8, 0xEF}), std::string("Hello "));
    Bytes slot(11, 0x00);
    encodeGameText("Hi", slot);
    QCOMPARE(slot, (Bytes{0xA7, 0xC2, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF, 0xEF}));
    // characters without a code leave the byte in place; the rest are written
    Bytes kept(6, 0x11);
    encodeGameText("A-\xC3\xA9Z", kept);  // A, hyphen, e acute, Z
    QCOMPARE(kept, (Bytes{0xA0, 0x11, 0x11, 0xB9, 0xEF, 0xEF}));
    // a text longer than its slot is cut
    Bytes short3(3, 0);
    encodeGameText("Golem", short3);
    QCOMPARE(short3, (Bytes{0xA6, 0xC8, 0xC5}));
    // every byte decodes to its table entry
    for (int b = 0; b < 256; ++b)
        QCOMPARE(decodeGameText(Bytes{std::uint8_t(b)}), std::string(CharTable()[b]));
}

void CoreTest::codecRoundTripIsLossyOnlyWhereExpected()
{
    // every character with a code of its own comes back as the same byte
    for (int b = 0; b < 256; ++b) {
        const std::string_view c = CharTable()[b];
        if (c.empty() || b == 0xE7 || b == 0xF1)
            continue;
        Bytes slot(1, 0);
        encodeGameText(c, slot);
        QCOMPARE(int(slot[0]), b);
    }
    Bytes slot{0xE7, 0x00, 0xF1, 0xA0};
    const std::string shown = decodeGameText(slot);
    QCOMPARE(shown, std::string("'...A"));
    Bytes again(4, 0x55);
    encodeGameText(shown, again);
    QCOMPARE(again, (Bytes{0xE2, 0xE8, 0xE8, 0xE8}));
}

void CoreTest::imageAccessNeverCreatesOrGrowsAFile()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.sfc");
    const Status w = RomImage(missing.toStdString(), IdentityCheck::Skipped).write(0, Bytes{1, 2});
    QVERIFY(!w);
    QVERIFY(w.error().find("no such file") != std::string::npos);
    QVERIFY(!QFile::exists(missing));

    const QString small = dir.filePath("small.sfc");
    writeFile(small, Bytes{9, 9, 9, 9});
    const Status past = RomImage(small.toStdString(), IdentityCheck::Skipped).write(3, Bytes{1, 2});
    QVERIFY(!past);
    QCOMPARE(fileBytes(small), (Bytes{9, 9, 9, 9}));
    QVERIFY(RomImage(small.toStdString(), IdentityCheck::Skipped).write(2, Bytes{1, 2}));
    QCOMPARE(fileBytes(small), (Bytes{9, 9, 1, 2}));

    QFile::setPermissions(small, QFileDevice::ReadOwner);
    if (!QFileInfo(small).isWritable()) {  // root may write anyway
        const Status readOnly = RomImage(small.toStdString(), IdentityCheck::Skipped).write(0, Bytes{7});
        QVERIFY(!readOnly);
        QVERIFY(readOnly.error().find("small.sfc") != std::string::npos);
    }
    clearReadOnly(small.toStdString());
    QVERIFY(QFileInfo(small).permissions() & QFileDevice::WriteOwner);
}

void CoreTest::imageAccessReportsUnreadableFiles()
{
    QTemporaryDir dir;
    const auto folder = RomImage(dir.path().toStdString(), IdentityCheck::Skipped).read(0, 1);
    QVERIFY(!folder);
    QVERIFY(folder.error().find("folder") != std::string::npos);
    const QString small = dir.filePath("small.sfc");
    writeFile(small, Bytes{1, 2, 3});
    const auto beyond = RomImage(small.toStdString(), IdentityCheck::Skipped).read(2, 2);
    QVERIFY(!beyond);
    QVERIFY(beyond.error().find(small.toStdString()) != std::string::npos);
    QCOMPARE(*RomImage(small.toStdString(), IdentityCheck::Skipped).read(1, 2), (Bytes{2, 3}));
    QVERIFY(!readIdentityValue(small.toStdString()));
    QVERIFY(!RomImage("", IdentityCheck::Skipped).read(0, 1));

    // only regular files are opened, and nothing waits on a pipe
    const QString pipePath = dir.filePath("pipe.sfc");
    PipeGuard pipe(pipePath);
    QVERIFY(pipe.made());
    for (const QString& other : {pipePath, QStringLiteral("/dev/null")}) {
        const auto fromPipe = RomImage(other.toStdString(), IdentityCheck::Skipped).read(0, 1);
        QVERIFY(!fromPipe);
        QVERIFY2(fromPipe.error().find(other.toStdString() + ": it is not a regular file") != std::string::npos,
                 fromPipe.error().c_str());
        QVERIFY(!RomImage(other.toStdString(), IdentityCheck::Skipped).write(0, Bytes{1}));
        QVERIFY(!readIdentityValue(other.toStdString()));
    }
    QVERIFY(!pipe.released());
}

void CoreTest::imageAccessChecksTheIdentityEveryTime()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("image.sfc");
    QVERIFY(writeSampleImage(path.toStdString()));
    const RomImage image(path.toStdString());
    QVERIFY(image.read(0x100, 2));
    QVERIFY(image.write(0x100, Bytes{1, 2}));

    // changed behind the program's back: refused, naming the file, the file untouched
    QVERIFY(RomImage(path.toStdString(), IdentityCheck::Skipped).write(kIdentityPosition + 3, Bytes{0xAC}));
    const Bytes changed = fileBytes(path);
    const auto read = image.read(0x100, 2);
    QVERIFY(!read);
    QVERIFY2(read.error().find(path.toStdString()) != std::string::npos, read.error().c_str());
    QVERIFY(read.error().find("not a Veldra Saga ROM") != std::string::npos);
    const Status written = image.write(0x100, Bytes{7, 7});
    QVERIFY(!written);
    QVERIFY(written.error().find(path.toStdString()) != std::string::npos);
    QVERIFY(!WriteGameText(image, 0x0C6700, "Renamed", 11));
    QCOMPARE(fileBytes(path), changed);

    // too short to hold the value at all
    QFile::resize(path, kIdentityPosition + 2);
    QVERIFY(!image.read(0, 1));
    QVERIFY(!image.write(0, Bytes{1}));
    QVERIFY(RomImage(path.toStdString(), IdentityCheck::Skipped).read(0, 1));
}

void CoreTest::everyTableFitsItsImageAndItsNeighbours()
{
    const auto all = tables::all();
    for (const Table* t : all) {
        QVERIFY2(t->base + std::uint32_t(t->count) * t->recordSize <= kImageSize, t->name.data());
        QVERIFY(std::int32_t(t->count - 1) * t->recordSize <= 32767);
        for (const Field& f : t->fields) {
            const int width = f.width == Width::Word ? 2 : f.width == Width::Text ? t->recordSize : 1;
            QVERIFY2(f.offset + width <= t->recordSize, f.name.data());
            QCOMPARE(f.width == Width::Bit, f.bit >= 0 && f.bit <= 7);
            QVERIFY(!f.label.empty());
            QCOMPARE(t->field(f.name), &f);
        }
        // no two fields share a byte, unless they are distinct bits of it
        for (const Field& a : t->fields)
            for (const Field& b : t->fields) {
                if (&a == &b || a.offset != b.offset)
                    continue;
                QVERIFY2(a.width == Width::Bit && b.width == Width::Bit && a.bit != b.bit, a.name.data());
            }
    }
    for (const Table* a : all)
        for (const Table* b : all) {
            if (a == b)
                continue;
            const std::uint32_t aEnd = a->base + std::uint32_t(a->count) * a->recordSize;
            const std::uint32_t bEnd = b->base + std::uint32_t(b->count) * b->recordSize;
            QVERIFY2(aEnd <= b->base || bEnd <= a->base, (std::string(a->name) + " / " + std::string(b->name)).c_str());
        }
}

void CoreTest::recordPositionRefusesEntriesOutsideTheTable()
{
    QCOMPARE(*recordPosition(tables::npcSprites, 255), 0x24F223u + 255u * 5u);
    QVERIFY(!recordPosition(tables::npcSprites, 256));
    QVERIFY(!recordPosition(tables::weapons, -1));
    QCOMPARE(*recordPosition(tables::chests, 0), tables::chests.base);
}

void CoreTest::sampleImageIsAcceptedAndDeterministic()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sample.sfc");
    QVERIFY(writeSampleImage(path.toStdString()));
    QCOMPARE(QFileInfo(path).size(), qint64(kImageSize));
    QCOMPARE(*readIdentityValue(path.toStdString()), kIdentityValue);
    QCOMPARE(fileBytes(path), makeSampleImage());
    // the identity bytes in another order are no image of the game
    const Bytes swapped{0xAD, 0x10, 0x4E, 0x20};
    QVERIFY(RomImage(path.toStdString(), IdentityCheck::Skipped).write(kIdentityPosition, swapped));
    QVERIFY(*readIdentityValue(path.toStdString()) != kIdentityValue);
}

void CoreTest::sampleImageNeverReplacesAFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("mine.sfc");
    const Bytes mine{1, 2, 3, 4, 5};
    writeFile(path, mine);
    const Status written = writeSampleImage(path.toStdString());
    QVERIFY(!written);
    QVERIFY(written.error().find("already exists") != std::string::npos);
    QCOMPARE(fileBytes(path), mine);
}

QTEST_GUILESS_MAIN(CoreTest)
#include "test_core.moc"
