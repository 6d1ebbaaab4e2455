#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/image_jobs.h"
#include "rom/patch_jobs.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

using Bytes = std::vector<std::uint8_t>;

namespace {

std::string str(const QString& s) { return s.toStdString(); }

Bytes fileBytes(const QString& path)
{
    auto bytes = readWholeFile(str(path));
    return bytes ? *bytes : Bytes{};
}

void writeFile(const QString& path, const Bytes& bytes)
{
    std::ofstream out(str(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes withHeader(const Bytes& image)
{
    Bytes file(kCopierHeaderSize + image.size(), 0);
    file[0] = 0x80;  // copiers put a block count here; its value plays no part
    std::copy(image.begin(), image.end(), file.begin() + kCopierHeaderSize);
    return file;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Every name in the folder: a failed write must leave no temporary file behind.
QStringList folderContents(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

class ImageFilesTest : public QObject {
    Q_OBJECT
private slots:
    void sampleImageFacts();
    void copierHeaderIsRecognisedBySizeAndIdentity();
    void checksumMirrorsImagesOfOtherSizes();
    void checksumGoesStaleAndIsFixedInPlace();
    void checksumFixIsRefusedForOtherFiles();
    void stripHeaderWritesACopyOnly();
    void newFilesAreWrittenWholeOrNotAtAll();
    void fileSizeLimitLeavesNoPartialFile();
    void unwritableFolderIsReported();
    void patchFilesRoundTrip();
    void patchFileRefusalsWriteNothing();
};

void ImageFilesTest::sampleImageFacts()
{
    const ImageFacts facts = describeImage(makeSampleImage());
    QCOMPARE(facts.fileSize, std::uint64_t(kImageSize));
    QVERIFY(!facts.copierHeader);
    QCOMPARE(facts.identityPosition, kIdentityPosition);
    QCOMPARE(facts.identityValue, std::optional(kIdentityValue));
    QVERIFY(facts.identityOk);
    QVERIFY(facts.header);
    QCOMPARE(facts.header->title, std::string("VELDRA SAGA SAMPLE   "));
    QCOMPARE(facts.header->mapMode, std::uint8_t(0x31));
    QCOMPARE(facts.header->romSize, std::uint8_t(0x0C));
    QCOMPARE(facts.header->checksum, facts.computedChecksum);
    QCOMPARE(facts.header->complement, std::uint16_t(facts.computedChecksum ^ 0xFFFF));
    QVERIFY(facts.checksumOk);

    // any file is described, however short or foreign
    const ImageFacts tiny = describeImage(Bytes{1, 2, 3});
    QCOMPARE(tiny.fileSize, std::uint64_t(3));
    QVERIFY(!tiny.identityValue && !tiny.identityOk && !tiny.header && !tiny.checksumOk);
}

void ImageFilesTest::copierHeaderIsRecognisedBySizeAndIdentity()
{
    const Bytes image = makeSampleImage();
    const Bytes headered = withHeader(image);
    QVERIFY(hasCopierHeader(headered));
    QVERIFY(!isGameImage(headered));
    QVERIFY(isGameImage(image));
    const ImageFacts facts = describeImage(headered);
    QVERIFY(facts.copierHeader);
    QCOMPARE(facts.identityPosition, kIdentityPosition + 512);
    QVERIFY(facts.identityOk);
    QCOMPARE(facts.header->title, describeImage(image).header->title);
    QVERIFY(facts.checksumOk);

    // the size alone is not enough: the identity must sit 512 bytes further on
    Bytes padded = image;
    padded.insert(padded.end(), 512, 0);
    QVERIFY(!hasCopierHeader(padded));
    QVERIFY(isGameImage(padded));
    // nor the identity alone: the size must be 512 more than a multiple of 1024
    Bytes odd = headered;
    odd.push_back(0);
    QVERIFY(!hasCopierHeader(odd));
    QVERIFY(!describeImage(odd).identityOk);
}

void ImageFilesTest::checksumMirrorsImagesOfOtherSizes()
{
    // 7 bytes count as 8: the last three repeated as [2,2,3,3]
    QCOMPARE(computeChecksum(Bytes{1, 1, 1, 1, 2, 2, 3}), std::uint16_t(4 + 2 + 2 + 3 + 3));
    // 6 bytes count as 8: the last two twice
    QCOMPARE(computeChecksum(Bytes{1, 1, 1, 1, 2, 2}), std::uint16_t(4 + 8));
    QCOMPARE(computeChecksum(Bytes{5, 6, 7, 8}), std::uint16_t(26));
    // a 3 MiB image counts its last MiB twice; the sum wraps at 16 bits
    Bytes image(3u << 20, 0);
    image[0x100000] = 0x10;  // first 2 MiB: once
    image[0x200000] = 0x01;  // last MiB: twice
    image[0x2FFFFF] = 0xFF;
    const auto fields = checksumFieldBytes(0x1234);
    std::copy(fields.begin(), fields.end(), image.begin() + kComplementPosition);
    QCOMPARE(computeChecksum(image), std::uint16_t(0x10 + 2 * (0x01 + 0xFF) + 0x1FE));
    Bytes wrapping(0x20000, 0xFF);
    QCOMPARE(computeChecksum(wrapping), std::uint16_t((0x20000 * 0xFF - 4 * 0xFF + 0x1FE) & 0xFFFF));
}

void ImageFilesTest::checksumGoesStaleAndIsFixedInPlace()
{
    for (bool headered : {false, true}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("game.sfc");
        Bytes image = makeSampleImage();
        image[tables::weapons.base] ^= 0x21;  // a saved edit
        const Bytes file = headered ? withHeader(image) : image;
        writeFile(path, file);
        const auto stale = readImageFacts(str(path));
        QVERIFY(stale.ok());
        QVERIFY(!stale->checksumOk);
        QVERIFY(stale->computedChecksum != stale->header->checksum);

        const auto fixed = fixChecksumFile(str(path));
        QVERIFY2(fixed.ok(), fixed.error().c_str());
        QVERIFY(fixed->written);
        QCOMPARE(fixed->before, stale->header->checksum);
        QCOMPARE(fixed->after, stale->computedChecksum);
        const Bytes after = fileBytes(path);
        const std::size_t fields = (headered ? 512 : 0) + kComplementPosition;
        for (std::size_t k = 0; k < after.size(); ++k)
            if (after[k] != file[k])
                QVERIFY2(k >= fields && k < fields + 4, qPrintable(QString::number(k, 16)));
        QVERIFY(readImageFacts(str(path))->checksumOk);
        // a matching checksum is left alone
        const auto again = fixChecksumFile(str(path));
        QVERIFY(again.ok() && !again->written);
        QCOMPARE(fileBytes(path), after);
    }
    // a broken complement alone makes the checksum stale too
    QTemporaryDir dir;
    const QString path = dir.filePath("game.sfc");
    Bytes image = makeSampleImage();
    image[kComplementPosition] ^= 0xFF;
    writeFile(path, image);
    QVERIFY(!readImageFacts(str(path))->checksumOk);
    QVERIFY(fixChecksumFile(str(path))->written);
    QCOMPARE(fileBytes(path), makeSampleImage());
}

void ImageFilesTest::checksumFixIsRefusedForOtherFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("other.bin");
    Bytes other = makeSampleImage();
    other[kIdentityPosition] ^= 1;
    other[5] ^= 1;
    writeFile(path, other);
    const auto fixed = fixChecksumFile(str(path));
    QVERIFY(!fixed.ok());
    QVERIFY2(contains(fixed.error(), "not a Veldra Saga ROM"), fixed.error().c_str());
    QCOMPARE(fileBytes(path), other);
    QVERIFY(contains(fixChecksumFile(str(dir.filePath("missing.sfc"))).error(), "no such file"));
}

void ImageFilesTest::stripHeaderWritesACopyOnly()
{
    QTemporaryDir dir;
    const QString headered = dir.filePath("headered.smc");
    const QString plain = dir.filePath("plain.sfc");
    const Bytes file = withHeader(makeSampleImage());
    writeFile(headered, file);
    QVERIFY(stripHeaderFile(str(headered), str(plain)).ok());
    QCOMPARE(fileBytes(plain), makeSampleImage());
    QCOMPARE(fileBytes(headered), file);

    struct Refusal {
        QString input;
        QString output;
        Existing existing;
        const char* reason;
    };
    const QString foreign = dir.filePath("foreign.bin");
    writeFile(foreign, Bytes(0x20200, 0));
    const Refusal refusals[] = {
        {headered, plain, Existing::Refuse, "already exists"},
        {plain, dir.filePath("x.sfc"), Existing::Refuse, "has no copier header"},
        {foreign, dir.filePath("y.sfc"), Existing::Refuse, "not a Veldra Saga ROM"},
        {headered, headered, Existing::Replace, "which is only read"},
    };
    for (const Refusal& r : refusals) {
        const Status done = stripHeaderFile(str(r.input), str(r.output), r.existing);
        QVERIFY(!done.ok());
        QVERIFY2(contains(done.error(), r.reason), done.error().c_str());
    }
    QCOMPARE(fileBytes(headered), file);
    QCOMPARE(folderContents(dir), QStringList({"foreign.bin", "headered.smc", "plain.sfc"}));
}

void ImageFilesTest::newFilesAreWrittenWholeOrNotAtAll()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.bin");
    const Bytes first{1, 2, 3};
    QVERIFY(writeNewFile(str(path), first).ok());
    QCOMPARE(fileBytes(path), first);
    const Status again = writeNewFile(str(path), Bytes{9});
    QVERIFY(!again.ok());
    QCOMPARE(again.error(), "cannot write " + str(path) + ": the file already exists");
    QCOMPARE(fileBytes(path), first);
    QVERIFY(writeNewFile(str(path), Bytes{9}, Existing::Replace).ok());
    QCOMPARE(fileBytes(path), Bytes{9});
    QVERIFY(contains(writeNewFile(str(dir.path()), first, Existing::Replace).error(), "it is a folder"));
    QVERIFY(contains(writeNewFile(str(dir.filePath("no/such/out.bin")), first).error(), "no such file or folder"));
    QCOMPARE(folderContents(dir), QStringList{"out.bin"});
}

void ImageFilesTest::fileSizeLimitLeavesNoPartialFile()
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath("fresh.bin");
    const QString kept = dir.filePath("kept.bin");
    writeFile(kept, Bytes(100, 7));
    int pipeEnds[2];
    QCOMPARE(pipe(pipeEnds), 0);
    const pid_t child = fork();
    if (child == 0) {
        // a real limit, as `ulimit -f` sets it; the writer itself must keep
        // SIGXFSZ from ending the process
        close(pipeEnds[0]);
        rlimit limit{16384, 16384};
        setrlimit(RLIMIT_FSIZE, &limit);
        const Bytes large(1u << 20, 0xA5);
        const Status fresh1 = writeNewFile(str(fresh), large);
        const Status kept1 = writeNewFile(str(kept), large, Existing::Replace);
        const std::string report = fresh1.error() + "\n" + kept1.error();
        (void)!write(pipeEnds[1], report.data(), report.size());
        _exit(!fresh1.ok() && !kept1.ok() ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = read(pipeEnds[0], buf, sizeof buf)) > 0;)
        report.append(buf, std::size_t(n));
    close(pipeEnds[0]);
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the writer was ended by a signal");
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY2(contains(report, "size limit for files") && contains(report, "nothing was written"), report.c_str());
    QVERIFY(contains(report, str(fresh).c_str()) && contains(report, str(kept).c_str()));
    QCOMPARE(fileBytes(kept), Bytes(100, 7));
    QCOMPARE(folderContents(dir), QStringList{"kept.bin"});
}

void ImageFilesTest::unwritableFolderIsReported()
{
    if (geteuid() == 0)
        QSKIP("permissions do not bind the superuser");
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const Status done = writeNewFile(str(dir.filePath("out.bin")), Bytes{1});
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!done.ok());
    QVERIFY2(contains(done.error(), "permission denied"), done.error().c_str());
    QVERIFY(folderContents(dir).isEmpty());
}

void ImageFilesTest::patchFilesRoundTrip()
{
    QTemporaryDir dir;
    const QString original = dir.filePath("original.sfc");
    const QString modified = dir.filePath("modified.sfc");
    Bytes changed = makeSampleImage();
    changed[tables::weapons.base + 2] = 99;
    changed[tables::chests.base + 7] ^= 0x80;
    writeFile(original, makeSampleImage());
    writeFile(modified, changed);
    for (PatchFormat format : {PatchFormat::Bps, PatchFormat::Ips}) {
        const QString patch = dir.filePath(format == PatchFormat::Bps ? "hack.bps" : "hack.ips");
        const QString result = dir.filePath(format == PatchFormat::Bps ? "bps.sfc" : "ips.sfc");
        const auto made = createPatchFile(str(original), str(modified), str(patch), format);
        QVERIFY2(made.ok(), made.error().c_str());
        QCOMPARE(made->changedRuns, std::size_t(2));
        QCOMPARE(made->size, std::uint64_t(fileBytes(patch).size()));
        const auto applied = applyPatchFile(str(original), str(patch), str(result));
        QVERIFY2(applied.ok(), applied.error().c_str());
        QCOMPARE(fileBytes(result), changed);
    }
    QCOMPARE(fileBytes(original), makeSampleImage());
    QCOMPARE(fileBytes(modified), changed);
}

void ImageFilesTest::patchFileRefusalsWriteNothing()
{
    QTemporaryDir dir;
    const Bytes sample = makeSampleImage();
    Bytes other = sample;
    other[0x100] ^= 1;
    Bytes notGame = sample;
    notGame[kIdentityPosition] ^= 1;
    const QString image = dir.filePath("image.sfc");
    const QString otherImage = dir.filePath("other.sfc");
    const QString headered = dir.filePath("headered.smc");
    const QString foreign = dir.filePath("foreign.bin");
    const QString forOther = dir.filePath("for-other.bps");
    const QString breaksId = dir.filePath("breaks-identity.ips");
    const QString out = dir.filePath("out.sfc");
    writeFile(image, sample);
    writeFile(otherImage, other);
    writeFile(headered, withHeader(sample));
    writeFile(foreign, notGame);
    writeFile(forOther, createBps(other, sample));
    writeFile(breaksId, *createIps(sample, notGame));
    const QStringList before = folderContents(dir);

    struct Case {
        const char* name;
        std::function<std::string()> run;
        const char* reason;
    };
    const Case cases[] = {
        {"bps for another image", [&] { return applyPatchFile(str(image), str(forOther), str(out)).error(); },
         "made for an image with CRC32 "},
        {"result not the game", [&] { return applyPatchFile(str(image), str(breaksId), str(out)).error(); },
         "the result is not a Veldra Saga ROM"},
        {"not a patch", [&] { return applyPatchFile(str(image), str(image), str(out)).error(); }, "not a patch"},
        {"output is the image", [&] { return applyPatchFile(str(otherImage), str(forOther), str(otherImage), Existing::Replace).error(); },
         "which is only read"},
        {"output exists", [&] { return applyPatchFile(str(otherImage), str(forOther), str(image)).error(); }, "already exists"},
        {"headered original", [&] { return createPatchFile(str(headered), str(image), str(out), PatchFormat::Bps).error(); },
         "carries a 512-byte copier header"},
        {"modified not the game", [&] { return createPatchFile(str(image), str(foreign), str(out), PatchFormat::Bps).error(); },
         "foreign.bin is not a Veldra Saga ROM"},
        {"patch over an input", [&] { return createPatchFile(str(image), str(otherImage), str(otherImage), PatchFormat::Ips, Existing::Replace).error(); },
         "which is only read"},
        {"existing patch", [&] { return createPatchFile(str(image), str(otherImage), str(forOther), PatchFormat::Bps).error(); },
         "already exists"},
    };
    for (const Case& c : cases) {
        const std::string error = c.run();
        QVERIFY2(contains(error, c.reason), qPrintable(QString("%1: %2").arg(c.name, QString::fromStdString(error))));
    }
    QCOMPARE(folderContents(dir), before);
    QCOMPARE(fileBytes(otherImage), other);
    QCOMPARE(fileBytes(image), sample);
}

QTEST_GUILESS_MAIN(ImageFilesTest)
#include "test_image_files.moc"
