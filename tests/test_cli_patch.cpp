#include "tests/support/cli_process.h"

#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/image_facts.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using Bytes = std::vector<std::uint8_t>;

// info, checksum, strip-header and patch, run as processes on files in a
// temporary folder; every refusal leaves the folder as it was.
class CliPatchTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void infoReportsAnyFile();
    void infoJsonIsStable();
    void checksumShowsAndFixes();
    void checksumRefusesOtherFiles();
    void stripHeaderWritesACopy();
    void patchCreateAndApplyRoundTrip_data();
    void patchCreateAndApplyRoundTrip();
    void patchRefusals_data();
    void patchRefusals();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList folder() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    void put(const QString& name, const Bytes& bytes)
    {
        writeFile(path(name), QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    Bytes bytes(const QString& name) const
    {
        const QByteArray data = fileContents(path(name));
        return Bytes(data.begin(), data.end());
    }
    CliRun run(const QStringList& args) const { return runCli(args, m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    Bytes m_sample;
    Bytes m_edited;    // the sample after two edits
    Bytes m_headered;  // the sample behind a copier header
};

void CliPatchTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    if (m_sample.empty()) {
        m_sample = makeSampleImage();
        m_edited = m_sample;
        m_edited[tables::weapons.base + 1] ^= 0x11;
        m_edited[tables::chests.base + 2] ^= 0x80;
        m_headered = Bytes(512, 0);
        m_headered.insert(m_headered.end(), m_sample.begin(), m_sample.end());
    }
    put("game.sfc", m_sample);
    put("edited.sfc", m_edited);
    put("headered.smc", m_headered);
}

void CliPatchTest::infoReportsAnyFile()
{
    const CliRun plain = run({"info", "game.sfc"});
    QCOMPARE(plain.exitCode, 0);
    const QString text = plain.outText();
    for (const char* line : {"Path: game.sfc\n", "Size: 4194304 bytes (4 MiB)\n", "Copier header: none\n",
                             "Identity: at 0x10651: 0xAD104E20 (Veldra Saga)\n", "Title: VELDRA SAGA SAMPLE   \n",
                             "Checksum state: matches\n"})
        QVERIFY2(text.contains(line), qPrintable(text));

    const CliRun headered = run({"info", "headered.smc"});
    QCOMPARE(headered.exitCode, 0);
    QVERIFY(headered.outText().contains("Copier header: yes, 512 bytes\n"));
    QVERIFY(headered.outText().contains("Identity: at 0x10851: 0xAD104E20 (Veldra Saga)\n"));

    // a file of another kind is reported, not refused
    put("notes.txt", Bytes{'h', 'i'});
    const CliRun other = run({"info", "notes.txt"});
    QCOMPARE(other.exitCode, 0);
    QVERIFY(other.outText().contains("Identity: at 0x10651: the file is too short\n"));
    QVERIFY(other.outText().contains("Internal header: none"));

    const CliRun missing = run({"info", "missing.sfc"});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains("cannot read missing.sfc: no such file"), qPrintable(missing.err));
    QCOMPARE(run({"info"}).exitCode, 2);
}

void CliPatchTest::infoJsonIsStable()
{
    const CliRun headered = run({"info", "headered.smc", "--json"});
    QCOMPARE(headered.exitCode, 0);
    const QJsonObject facts = QJsonDocument::fromJson(headered.out).object();
    QCOMPARE(facts.keys(), QStringList({"checksum", "copier_header", "header", "identity", "path", "size"}));
    QCOMPARE(facts["path"].toString(), QString("headered.smc"));
    QCOMPARE(facts["size"].toInteger(), qint64(m_headered.size()));
    QCOMPARE(facts["copier_header"].toBool(), true);
    const QJsonObject identity = facts["identity"].toObject();
    QCOMPARE(identity["position"].toInteger(), qint64(kIdentityPosition + 512));
    QCOMPARE(identity["value"].toInteger(), qint64(kIdentityValue));
    QCOMPARE(identity["ok"].toBool(), true);
    const QJsonObject header = facts["header"].toObject();
    QCOMPARE(header["title"].toString(), QString("VELDRA SAGA SAMPLE   "));
    QCOMPARE(header["map_mode"].toInt(), 0x31);
    QCOMPARE(header["rom_size"].toInt(), 0x0C);
    const QJsonObject checksum = facts["checksum"].toObject();
    const ImageFacts expected = describeImage(m_sample);
    QCOMPARE(checksum["stored"].toInt(), int(expected.header->checksum));
    QCOMPARE(checksum["computed"].toInt(), int(expected.computedChecksum));
    QCOMPARE(checksum["ok"].toBool(), true);
    QCOMPARE(header["complement"].toInt(), int(expected.header->complement));

    put("tiny.bin", Bytes(10, 0));
    const QJsonObject tiny = QJsonDocument::fromJson(run({"info", "tiny.bin", "--json"}).out).object();
    QVERIFY(tiny["identity"].toObject()["value"].isNull());
    QVERIFY(tiny["header"].isNull());
    QVERIFY(tiny["checksum"].toObject()["stored"].isNull());
    QCOMPARE(tiny["checksum"].toObject()["ok"].toBool(), false);
}

void CliPatchTest::checksumShowsAndFixes()
{
    const ImageFacts stale = describeImage(m_edited);
    auto hex4 = [](int n) { return "0x" + QString::number(n, 16).toUpper().rightJustified(4, '0'); };
    const CliRun shown = run({"checksum", "edited.sfc"});
    QCOMPARE(shown.exitCode, 0);
    QCOMPARE(shown.outText(), QString("stored: %1 (complement %2)\ncomputed: %3\nstale (--fix writes the computed checksum)\n")
                                  .arg(hex4(stale.header->checksum), hex4(stale.header->complement),
                                       hex4(stale.computedChecksum)));
    QCOMPARE(bytes("edited.sfc"), m_edited);

    for (const QString& name : {QString("edited.sfc"), QString("headered-edited.smc")}) {
        const bool headered = name.endsWith(".smc");
        Bytes before = m_edited;
        if (headered)
            before.insert(before.begin(), 512, 0);
        put(name, before);
        const CliRun fixed = run({"checksum", name, "--fix"});
        QCOMPARE(fixed.exitCode, 0);
        QVERIFY2(fixed.outText().contains("wrote checksum"), qPrintable(fixed.outText()));
        const Bytes after = bytes(name);
        const std::size_t fields = (headered ? 512 : 0) + kComplementPosition;
        QCOMPARE(after.size(), before.size());
        for (std::size_t k = 0; k < after.size(); ++k)
            if (after[k] != before[k])
                QVERIFY2(k >= fields && k < fields + 4, qPrintable(QString::number(k, 16)));
        QVERIFY(describeImage(after).checksumOk);
        const CliRun again = run({"checksum", name, "--fix"});
        QCOMPARE(again.exitCode, 0);
        QVERIFY(again.outText().contains("nothing written"));
    }
}

void CliPatchTest::checksumRefusesOtherFiles()
{
    Bytes other = m_sample;
    other[kIdentityPosition] ^= 0xFF;
    other[0x100] ^= 1;
    put("other.bin", other);
    const CliRun refused = run({"checksum", "other.bin", "--fix"});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("other.bin is not a Veldra Saga ROM"), qPrintable(refused.err));
    QCOMPARE(bytes("other.bin"), other);
}

void CliPatchTest::stripHeaderWritesACopy()
{
    const CliRun stripped = run({"strip-header", "headered.smc", "--output", "plain.sfc"});
    QCOMPARE(stripped.exitCode, 0);
    QVERIFY(bytes("plain.sfc") == m_sample);
    QVERIFY(bytes("headered.smc") == m_headered);

    put("taken.sfc", Bytes{1, 2, 3});
    const CliRun exists = run({"strip-header", "headered.smc", "--output", "taken.sfc"});
    QCOMPARE(exists.exitCode, 1);
    QVERIFY2(exists.err.contains("the file already exists (--force replaces it)"), qPrintable(exists.err));
    QCOMPARE(bytes("taken.sfc"), (Bytes{1, 2, 3}));
    QCOMPARE(run({"strip-header", "headered.smc", "--output", "taken.sfc", "--force"}).exitCode, 0);
    QVERIFY(bytes("taken.sfc") == m_sample);

    const CliRun none = run({"strip-header", "game.sfc", "--output", "x.sfc"});
    QCOMPARE(none.exitCode, 1);
    QVERIFY(none.err.contains("has no copier header"));
    const CliRun self = run({"strip-header", "headered.smc", "--output", "headered.smc", "--force"});
    QCOMPARE(self.exitCode, 1);
    QVERIFY(self.err.contains("which is only read"));
    QCOMPARE(run({"strip-header", "headered.smc"}).exitCode, 2);
    QCOMPARE(folder(), QStringList({"edited.sfc", "game.sfc", "headered.smc", "plain.sfc", "taken.sfc"}));
}

void CliPatchTest::patchCreateAndApplyRoundTrip_data()
{
    QTest::addColumn<QStringList>("formatArgs");
    QTest::addColumn<QString>("patch");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("bps by extension") << QStringList{} << "hack.bps" << QByteArray("BPS1");
    QTest::newRow("ips by extension") << QStringList{} << "hack.IPS" << QByteArray("PATCH");
    QTest::newRow("ips by option") << QStringList{"--format", "ips"} << "hack.bin" << QByteArray("PATCH");
    QTest::newRow("option over extension") << QStringList{"--format", "bps"} << "hack.ips" << QByteArray("BPS1");
}

void CliPatchTest::patchCreateAndApplyRoundTrip()
{
    QFETCH(QStringList, formatArgs);
    QFETCH(QString, patch);
    QFETCH(QByteArray, magic);
    const CliRun created = run(QStringList{"patch", "create", "game.sfc", "edited.sfc", "--output", patch} + formatArgs);
    QCOMPARE(created.exitCode, 0);
    QVERIFY2(created.outText().contains(QString("wrote %1").arg(patch)) && created.outText().contains("2 changed runs"),
             qPrintable(created.outText()));
    QVERIFY(fileContents(path(patch)).startsWith(magic));
    const CliRun applied = run({"patch", "apply", "game.sfc", patch, "--output", "result.sfc"});
    QCOMPARE(applied.exitCode, 0);
    QVERIFY(bytes("result.sfc") == m_edited);
    QVERIFY(bytes("game.sfc") == m_sample);
    QVERIFY(bytes("edited.sfc") == m_edited);
}

void CliPatchTest::patchRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reason");
    const QStringList create{"patch", "create", "game.sfc", "edited.sfc", "--output"};
    QTest::newRow("no subcommand") << QStringList{"patch"} << 2 << "usage: veldra-cli patch create";
    QTest::newRow("no output") << QStringList{"patch", "create", "game.sfc", "edited.sfc"} << 2 << "--output";
    QTest::newRow("format unknown") << create + QStringList{"hack.bps", "--format", "xdelta"} << 2 << "--format";
    QTest::newRow("format untold") << create + QStringList{"hack.diff"} << 2 << "cannot tell the format";
    QTest::newRow("headered original") << QStringList{"patch", "create", "headered.smc", "edited.sfc", "--output", "h.bps"}
                                       << 1 << "carries a 512-byte copier header";
    QTest::newRow("patch exists") << create + QStringList{"for-other.bps"} << 1 << "already exists (--force replaces it)";
    QTest::newRow("patch over an input") << create + QStringList{"edited.sfc", "--format", "bps", "--force"} << 1 << "which is only read";
    QTest::newRow("bps for another image") << QStringList{"patch", "apply", "edited.sfc", "for-other.bps", "--output", "r.sfc"}
                                           << 1 << "made for an image with CRC32 ";
    QTest::newRow("damaged bps") << QStringList{"patch", "apply", "game.sfc", "damaged.bps", "--output", "r.sfc"} << 1
                                 << "damaged or truncated";
    QTest::newRow("result no image of the game") << QStringList{"patch", "apply", "game.sfc", "breaks.ips", "--output", "r.sfc"}
                                                 << 1 << "the result is not a Veldra Saga ROM";
    QTest::newRow("output exists") << QStringList{"patch", "apply", "game.sfc", "good.ips", "--output", "edited.sfc"} << 1
                                   << "already exists (--force replaces it)";
    QTest::newRow("output is the image") << QStringList{"patch", "apply", "game.sfc", "good.ips", "--output", "game.sfc", "--force"}
                                         << 1 << "which is only read";
}

void CliPatchTest::patchRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, reason);
    Bytes other = m_sample;
    other[0x40] ^= 1;
    put("for-other.bps", createBps(other, m_edited));
    Bytes damaged = createBps(m_sample, m_edited);
    damaged[damaged.size() / 2] ^= 0x10;
    put("damaged.bps", damaged);
    Bytes notGame = m_sample;
    notGame[kIdentityPosition + 1] ^= 1;
    put("breaks.ips", *createIps(m_sample, notGame));
    put("good.ips", *createIps(m_sample, m_edited));
    const QStringList before = folder();
    const CliRun refused = run(args);
    QCOMPARE(refused.exitCode, exitCode);
    QVERIFY2(refused.err.contains(reason), qPrintable(refused.err));
    QVERIFY(refused.out.isEmpty());
    QCOMPARE(folder(), before);
    QVERIFY(bytes("game.sfc") == m_sample);
    QVERIFY(bytes("edited.sfc") == m_edited);
}

QTEST_GUILESS_MAIN(CliPatchTest)
#include "test_cli_patch.moc"
