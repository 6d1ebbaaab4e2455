#include "rom/formats/bps_patch.h"
#include "rom/formats/crc32.h"
#include "rom/formats/ips_patch.h"
#include "rom/formats/patch_format.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <QTest>

#include <functional>

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes le32(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}; }

Bytes number(std::uint64_t value)
{
    Bytes out;
    appendBpsNumber(out, value);
    return out;
}

// A BPS around hand-written actions, with true CRC32s unless told otherwise:
// the checks behind the patch's own CRC32 are only reached by such patches.
Bytes handBps(const Bytes& source, std::uint64_t targetSize, const Bytes& actions, std::uint32_t targetCrc,
              std::optional<std::uint64_t> sourceSize = std::nullopt)
{
    Bytes patch = cat({text("BPS1"), number(sourceSize.value_or(source.size())), number(targetSize), number(0), actions,
                       le32(crc32Of(source)), le32(targetCrc)});
    return cat({patch, le32(crc32Of(patch))});
}

Bytes action(int kind, std::uint64_t length) { return number((length - 1) << 2 | std::uint64_t(kind)); }
Bytes relative(std::int64_t delta) { return number(std::uint64_t(delta < 0 ? -delta : delta) << 1 | (delta < 0)); }

// An image this size is needed for an edit at the offset IPS cannot start a record at.
Bytes bigImage()
{
    Bytes image = makeSampleImage();
    const Bytes copy = image;
    image.insert(image.end(), copy.begin(), copy.begin() + 0x100000);
    return image;
}

void fill(Bytes& image, std::size_t at, std::size_t count, std::uint8_t value)
{
    std::fill_n(image.begin() + std::ptrdiff_t(at), count, value);
}

// Changes every byte of the stretch, to values that seldom repeat.
void scramble(Bytes& image, std::size_t at, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        image[at + k] ^= std::uint8_t(1 + k % 255);
}

}  // namespace

class PatchFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void numbersAreEncodedAsTheFormatDefines_data();
    void numbersAreEncodedAsTheFormatDefines();
    void crc32MatchesTheKnownValues();
    void handMadeBpsUsesAllFourActions();
    void createdBpsHasTheExpectedBytes();
    void handMadeIpsAppliesRecordsRunsAndTruncation();
    void createdIpsHasTheExpectedBytes();
    void roundTrips_data();
    void roundTrips();
    void ipsNeverStartsARecordAtTheEofOffset();
    void scatteredEditsMakeSmallPatches();
    void bpsRefusals_data();
    void bpsRefusals();
    void bpsForAnotherImageNamesBothCrcs();
    void ipsRefusals_data();
    void ipsRefusals();
    void ipsIsRefusedForImagesOver16MiB();
    void formatsAreToldApart();
};

void PatchFormatsTest::numbersAreEncodedAsTheFormatDefines_data()
{
    QTest::addColumn<quint64>("value");
    QTest::addColumn<Bytes>("encoded");
    QTest::newRow("0") << quint64(0) << Bytes{0x80};
    QTest::newRow("127") << quint64(127) << Bytes{0xFF};
    QTest::newRow("128") << quint64(128) << Bytes{0x00, 0x80};
    QTest::newRow("16511") << quint64(16511) << Bytes{0x7F, 0xFF};
    QTest::newRow("16512") << quint64(16512) << Bytes{0x00, 0x00, 0x80};
}

void PatchFormatsTest::numbersAreEncodedAsTheFormatDefines()
{
    QFETCH(quint64, value);
    QFETCH(Bytes, encoded);
    QCOMPARE(number(value), encoded);
    // read back as a target size: an image of `value` zero bytes from nothing
    if (value <= 16512) {
        const Bytes target(value, 0);
        Bytes actions;
        if (value > 0)
            actions = cat({action(1, 1), {0}, value > 1 ? cat({action(3, value - 1), relative(0)}) : Bytes{}});
        const auto applied = applyBps({}, handBps({}, value, actions, crc32Of(target)));
        QVERIFY2(applied.ok(), applied.error().c_str());
        QCOMPARE(applied->size(), std::size_t(value));
    }
}

void PatchFormatsTest::crc32MatchesTheKnownValues()
{
    QCOMPARE(crc32Of(text("ABCDEFGH")), 0x68DCB61Cu);
    QCOMPARE(crc32Of(text("123456789")), 0xCBF43926u);
    QCOMPARE(crc32Of({}), 0u);
}

void PatchFormatsTest::handMadeBpsUsesAllFourActions()
{
    // source ABCDEFGH, target ABC + XY + YYY (target copy of the Y, reading
    // what it writes) + GH (source copy forward) + AB (source copy back)
    const Bytes patch = cat({text("BPS1"), {0x88, 0x8C, 0x83}, text("hi!"), {0x88, 0x85}, text("XY"),
                             {0x8B, 0x88, 0x86, 0x8C, 0x86, 0x91}, {0x1C, 0xB6, 0xDC, 0x68, 0x1B, 0x90, 0x6C, 0x09},
                             {0x76, 0x7C, 0x74, 0x69}});
    std::string metadata;
    const auto applied = applyBps(text("ABCDEFGH"), patch, &metadata);
    QVERIFY2(applied.ok(), applied.error().c_str());
    QCOMPARE(*applied, text("ABCXYYYYGHAB"));
    QCOMPARE(metadata, std::string("hi!"));
}

void PatchFormatsTest::createdBpsHasTheExpectedBytes()
{
    // source read 4, target read "x", source read 3, then the three CRC32s
    const Bytes expected{0x42, 0x50, 0x53, 0x31, 0x88, 0x88, 0x80, 0x8C, 0x81, 0x78, 0x88, 0x1C,
                         0xB6, 0xDC, 0x68, 0x60, 0x96, 0x9D, 0x6A, 0x3D, 0xCA, 0xA7, 0x44};
    QCOMPARE(createBps(text("ABCDEFGH"), text("ABCDxFGH")), expected);
}

void PatchFormatsTest::handMadeIpsAppliesRecordsRunsAndTruncation()
{
    const Bytes source(16, 0x11);
    const Bytes records = cat({text("PATCH"), {0, 0, 2, 0, 2}, text("AB"), {0, 0, 8, 0, 0, 0, 5}, text("Z")});
    auto applied = applyIps(source, cat({records, text("EOF")}));
    QVERIFY2(applied.ok(), applied.error().c_str());
    Bytes expected = source;
    expected[2] = 'A';
    expected[3] = 'B';
    fill(expected, 8, 5, 'Z');
    QCOMPARE(*applied, expected);

    applied = applyIps(source, cat({records, text("EOF"), {0, 0, 10}}));
    QVERIFY2(applied.ok(), applied.error().c_str());
    QCOMPARE(*applied, Bytes(expected.begin(), expected.begin() + 10));

    // a record past the end makes the image longer
    applied = applyIps(source, cat({text("PATCH"), {0, 0, 17, 0, 1}, text("E"), text("EOF")}));
    QVERIFY2(applied.ok(), applied.error().c_str());
    QCOMPARE(applied->size(), std::size_t(18));
    QCOMPARE((*applied)[16], std::uint8_t(0));
    QCOMPARE((*applied)[17], std::uint8_t('E'));
}

void PatchFormatsTest::createdIpsHasTheExpectedBytes()
{
    const Bytes source(32, 0);
    Bytes target = source;
    target[3] = 1;
    fill(target, 10, 10, 7);  // long enough for a run-length record
    const auto patch = createIps(source, target);
    QVERIFY(patch.ok());
    QCOMPARE(*patch, cat({text("PATCH"), {0, 0, 3, 0, 1, 1}, {0, 0, 10, 0, 0, 0, 10, 7}, text("EOF")}));
    // shorter target: the truncation length follows EOF
    const auto shorter = createIps(source, Bytes(source.begin(), source.begin() + 20));
    QVERIFY(shorter.ok());
    QCOMPARE(*shorter, cat({text("PATCH"), text("EOF"), {0, 0, 20}}));
}

void PatchFormatsTest::roundTrips_data()
{
    QTest::addColumn<Bytes>("source");
    QTest::addColumn<Bytes>("target");
    const Bytes sample = makeSampleImage();
    auto edited = [&](const Bytes& base, const std::function<void(Bytes&)>& edit) {
        Bytes b = base;
        edit(b);
        return b;
    };
    QTest::newRow("unchanged") << sample << sample;
    QTest::newRow("first and last byte") << sample << edited(sample, [](Bytes& b) {
        b.front() ^= 0xFF;
        b.back() ^= 0xFF;
    });
    QTest::newRow("one value over 0xFFFF+ bytes") << sample << edited(sample, [](Bytes& b) { fill(b, 0x20000, 0x12345, 0); });
    QTest::newRow("0xFFFF+ changed bytes") << sample << edited(sample, [](Bytes& b) { scramble(b, 0x30001, 0x1FFFF); });
    QTest::newRow("whole image changed") << sample << edited(sample, [](Bytes& b) { scramble(b, 0, b.size()); });
    QTest::newRow("longer") << sample << edited(sample, [](Bytes& b) {
        b.insert(b.end(), 0x8000, 0xEE);
        b.insert(b.end(), {1, 2, 3});
    });
    QTest::newRow("shorter") << sample << edited(sample, [](Bytes& b) {
        b.resize(0x300000);
        b[0x123] ^= 1;
    });
    QTest::newRow("empty target") << sample << Bytes{};
    QTest::newRow("from nothing") << Bytes{} << edited(sample, [](Bytes& b) { b.resize(0x1000); });
    const Bytes big = bigImage();
    QTest::newRow("byte at 0x454F46") << big << edited(big, [](Bytes& b) { b[kIpsEofOffset] ^= 0x40; });
    QTest::newRow("run from 0x454F46") << big << edited(big, [](Bytes& b) { fill(b, kIpsEofOffset, 40, 0xAB); });
    QTest::newRow("run up to 0x454F46") << big << edited(big, [](Bytes& b) {
        fill(b, kIpsEofOffset - 40, 40, 0xAB);
        scramble(b, kIpsEofOffset, 3);
    });
    QTest::newRow("0xFFFF split at 0x454F46") << big
                                               << edited(big, [](Bytes& b) { scramble(b, kIpsEofOffset - 0xFFFF, 0x20000); });
}

void PatchFormatsTest::roundTrips()
{
    QFETCH(Bytes, source);
    QFETCH(Bytes, target);
    const auto bps = applyBps(source, createBps(source, target));
    QVERIFY2(bps.ok(), bps.error().c_str());
    QVERIFY(*bps == target);
    const auto ips = createIps(source, target);
    QVERIFY2(ips.ok(), ips.error().c_str());
    const auto applied = applyIps(source, *ips);
    QVERIFY2(applied.ok(), applied.error().c_str());
    QVERIFY(*applied == target);
}

void PatchFormatsTest::ipsNeverStartsARecordAtTheEofOffset()
{
    const Bytes source = bigImage();
    for (int variant = 0; variant < 3; ++variant) {
        Bytes target = source;
        if (variant == 0)
            target[kIpsEofOffset] ^= 1;
        else if (variant == 1)
            scramble(target, kIpsEofOffset - 0xFFFF, 0x20000);
        else
            fill(target, kIpsEofOffset - 30, 30, 0x42), scramble(target, kIpsEofOffset, 2);
        const auto patch = createIps(source, target);
        QVERIFY(patch.ok());
        const Bytes& p = *patch;
        std::size_t at = 5;
        while (!(p[at] == 'E' && p[at + 1] == 'O' && p[at + 2] == 'F')) {
            const std::uint32_t offset = p[at] << 16 | p[at + 1] << 8 | p[at + 2];
            QVERIFY2(offset != kIpsEofOffset, qPrintable(QString("variant %1").arg(variant)));
            const std::size_t length = p[at + 3] << 8 | p[at + 4];
            at += length == 0 ? 8 : 5 + length;
        }
        QCOMPARE(at + 3, p.size());  // nothing after the real EOF
    }
}

void PatchFormatsTest::scatteredEditsMakeSmallPatches()
{
    const Bytes source = makeSampleImage();
    Bytes target = source;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < 60; ++i) {
        const std::size_t length = 1 + (i * 7) % 20;  // 1..20, 630 bytes in all
        const std::size_t at = 4096 + i * (source.size() / 61) + (i * 37) % 500;
        for (std::size_t k = 0; k < length; ++k)
            target[at + k] = std::uint8_t(source[at + k] ^ (0x55 + k));
        changed += length;
    }
    QCOMPARE(changed, std::size_t(630));
    const Bytes bps = createBps(source, target);
    QVERIFY2(bps.size() < 900, qPrintable(QString::number(bps.size())));
    const auto ips = createIps(source, target);
    QVERIFY(ips.ok());
    QVERIFY2(ips->size() < 1000, qPrintable(QString::number(ips->size())));
    // nearby edits are carried as one stretch when that is smaller
    Bytes close = source;
    close[100] ^= 1;
    close[102] ^= 1;
    QCOMPARE(createIps(source, close)->size(), std::size_t(5 + 5 + 3 + 3));
}

void PatchFormatsTest::bpsRefusals_data()
{
    QTest::addColumn<Bytes>("source");
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<QString>("reason");
    const Bytes src = text("ABCDEFGH");
    const Bytes good = createBps(src, text("ABCDxFGH"));
    const std::uint32_t tgtCrc = crc32Of(text("ABCDxFGH"));
    Bytes wrongMagic = good;
    wrongMagic[3] = '2';
    Bytes flipped = good;
    flipped[9] ^= 1;
    QTest::newRow("wrong magic") << src << wrongMagic << "does not start with \"BPS1\"";
    QTest::newRow("too short") << src << Bytes(good.begin(), good.begin() + 10) << "truncated";
    QTest::newRow("truncated") << src << Bytes(good.begin(), good.end() - 3) << "damaged or truncated";
    QTest::newRow("damaged") << src << flipped << "damaged or truncated: its CRC32 is";
    QTest::newRow("target over 64 MiB") << src << handBps(src, (64u << 20) + 1, {}, 0) << "more than the 64 MiB allowed";
    const Bytes longMetadata = cat({text("BPS1"), number(8), number(8), number(40), le32(crc32Of(src)), le32(0)});
    QTest::newRow("metadata past the end") << src << cat({longMetadata, le32(crc32Of(longMetadata))})
                                           << "run past its actions";
    QTest::newRow("source size differs") << src << handBps(src, 8, action(0, 8), tgtCrc, 9) << "image of 9 bytes";
    QTest::newRow("source read past the image") << src << handBps(src, 12, action(0, 12), 0)
                                                << "source read reads past the end of the image";
    QTest::newRow("target read past the patch") << src << handBps(src, 8, cat({action(1, 8), text("abc")}), 0)
                                                << "target read reads past the end of the patch";
    QTest::newRow("source copy before the image") << src << handBps(src, 2, cat({action(2, 2), relative(-1)}), 0)
                                                  << "source copy reads outside the image";
    QTest::newRow("source copy past the image") << src << handBps(src, 4, cat({action(2, 4), relative(6)}), 0)
                                                << "source copy reads outside the image";
    QTest::newRow("target copy of unwritten bytes") << src << handBps(src, 8, cat({action(0, 2), action(3, 2), relative(2)}), 0)
                                                    << "target copy reads outside the result written so far";
    QTest::newRow("action past the result") << src << handBps(src, 4, action(0, 8), 0)
                                            << "writes past the end of the result";
    QTest::newRow("actions fall short") << src << handBps(src, 8, action(0, 4), 0) << "its actions make 4 of the 8 bytes";
    QTest::newRow("endless number") << src << handBps(src, 8, Bytes(12, 0x00), 0) << "runs into the CRC32s";
    QTest::newRow("result CRC") << src << handBps(src, 8, action(0, 8), tgtCrc) << "the result has CRC32 68DCB61C, but the patch expects";
}

void PatchFormatsTest::bpsRefusals()
{
    QFETCH(Bytes, source);
    QFETCH(Bytes, patch);
    QFETCH(QString, reason);
    const auto applied = applyBps(source, patch);
    QVERIFY(!applied.ok());
    QVERIFY2(QString::fromStdString(applied.error()).contains(reason), applied.error().c_str());
}

void PatchFormatsTest::bpsForAnotherImageNamesBothCrcs()
{
    const Bytes patch = createBps(text("ABCDEFGH"), text("ABCDxFGH"));
    const auto applied = applyBps(text("123456789"), patch);
    QVERIFY(!applied.ok());
    QCOMPARE(QString::fromStdString(applied.error()),
             QString("the patch was made for an image with CRC32 68DCB61C; this one has CBF43926"));
}

void PatchFormatsTest::ipsRefusals_data()
{
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong magic") << text("PATCX") << "does not start with \"PATCH\"";
    QTest::newRow("no EOF") << cat({text("PATCH"), {0, 0, 1, 0, 1, 9}}) << "truncated: it ends without \"EOF\"";
    QTest::newRow("header cut off") << cat({text("PATCH"), {0, 0, 1, 0}}) << "truncated: a record's header is cut off";
    QTest::newRow("bytes cut off") << cat({text("PATCH"), {0, 0, 1, 0, 9, 1, 2, 3}, text("EOF")})
                                   << "truncated: a record's bytes run past the end";
    QTest::newRow("run cut off") << cat({text("PATCH"), {0, 0, 1, 0, 0, 0}}) << "truncated: a run-length record is cut off";
    QTest::newRow("empty run") << cat({text("PATCH"), {0, 0, 1, 0, 0, 0, 0, 7}, text("EOF")}) << "run-length record of no bytes";
    QTest::newRow("bytes after EOF") << cat({text("PATCH"), text("EOF"), {1, 2}}) << "2 bytes follow \"EOF\"";
    QTest::newRow("cut past the end") << cat({text("PATCH"), text("EOF"), {0, 0, 17}}) << "cuts the result to 17 bytes";
}

void PatchFormatsTest::ipsRefusals()
{
    QFETCH(Bytes, patch);
    QFETCH(QString, reason);
    const auto applied = applyIps(Bytes(16, 0), patch);
    QVERIFY(!applied.ok());
    QVERIFY2(QString::fromStdString(applied.error()).contains(reason), applied.error().c_str());
}

void PatchFormatsTest::ipsIsRefusedForImagesOver16MiB()
{
    const Bytes small(16, 0);
    const Bytes large((16u << 20) + 1, 0);
    for (const auto& [source, target] : {std::pair{&small, &large}, std::pair{&large, &small}}) {
        const auto patch = createIps(*source, *target);
        QVERIFY(!patch.ok());
        QVERIFY2(QString::fromStdString(patch.error()).contains("16 MiB"), patch.error().c_str());
    }
    QVERIFY(createIps(Bytes(16u << 20, 0), Bytes(16u << 20, 1)).ok());
}

void PatchFormatsTest::formatsAreToldApart()
{
    QCOMPARE(patchFormatFromExtension("hack.BPS"), std::optional(PatchFormat::Bps));
    QCOMPARE(patchFormatFromExtension("dir.ips/hack.ips"), std::optional(PatchFormat::Ips));
    QCOMPARE(patchFormatFromExtension("hack.zip"), std::optional<PatchFormat>());
    QCOMPARE(patchFormatFromExtension("bps"), std::optional<PatchFormat>());
    const Bytes src = text("ABCDEFGH");
    const Bytes dst = text("ABCDxFGH");
    QCOMPARE(*applyPatch(src, createBps(src, dst)), dst);
    QCOMPARE(*applyPatch(src, *createIps(src, dst)), dst);
    const auto neither = applyPatch(src, text("PK\x03\x04"));
    QVERIFY(!neither.ok());
    QVERIFY(QString::fromStdString(neither.error()).contains("not a patch"));
}

QTEST_GUILESS_MAIN(PatchFormatsTest)
#include "test_patch_formats.moc"
