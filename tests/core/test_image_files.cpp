#include "rom/file_lock.h"
#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/image_jobs.h"
#include "rom/patch_jobs.h"
#include "rom/regular_file.h"
#include "rom/rom_image.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include "tests/support/temp_folder.h"

#include <doctest/doctest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Bytes fileBytes(const std::string& path)
{
    auto bytes = readWholeFile(path);
    return bytes ? *bytes : Bytes{};
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
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
Names folderContents(const TempFolder& dir)
{
    Names names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_CASE("sampleImageFacts")
{
    const ImageFacts facts = describeImage(makeSampleImage());
    REQUIRE_EQ(facts.fileSize, std::uint64_t(kImageSize));
    REQUIRE(!facts.copierHeader);
    REQUIRE_EQ(facts.identityPosition, kIdentityPosition);
    REQUIRE_EQ(facts.identityValue, std::optional(kIdentityValue));
    REQUIRE(facts.identityOk);
    REQUIRE(facts.header);
    REQUIRE_EQ(facts.header->title, std::string("VELDRA SAGA SAMPLE   "));
    REQUIRE_EQ(facts.header->mapMode, std::uint8_t(0x31));
    REQUIRE_EQ(facts.header->romSize, std::uint8_t(0x0C));
    REQUIRE_EQ(facts.header->checksum, facts.computedChecksum);
    REQUIRE_EQ(facts.header->complement, std::uint16_t(facts.computedChecksum ^ 0xFFFF));
    REQUIRE(facts.checksumOk);

    // any file is described, however short or foreign
    const ImageFacts tiny = describeImage(Bytes{1, 2, 3});
    REQUIRE_EQ(tiny.fileSize, std::uint64_t(3));
    REQUIRE((!tiny.identityValue && !tiny.identityOk && !tiny.header && !tiny.checksumOk));
}

TEST_CASE("copierHeaderIsRecognisedBySizeAndIdentity")
{
    const Bytes image = makeSampleImage();
    const Bytes headered = withHeader(image);
    REQUIRE(hasCopierHeader(headered));
    REQUIRE(!isGameImage(headered));
    REQUIRE(isGameImage(image));
    const ImageFacts facts = describeImage(headered);
    REQUIRE(facts.copierHeader);
    REQUIRE_EQ(facts.identityPosition, kIdentityPosition + 512);
    REQUIRE(facts.identityOk);
    REQUIRE_EQ(facts.header->title, describeImage(image).header->title);
    REQUIRE(facts.checksumOk);

    // the size alone is not enough: the identity must sit 512 bytes further on
    Bytes padded = image;
    padded.insert(padded.end(), 512, 0);
    REQUIRE(!hasCopierHeader(padded));
    REQUIRE(isGameImage(padded));
    // nor the identity alone: the size must be 512 more than a multiple of 1024
    Bytes odd = headered;
    odd.push_back(0);
    REQUIRE(!hasCopierHeader(odd));
    REQUIRE(!describeImage(odd).identityOk);
}

TEST_CASE("checksumMirrorsImagesOfOtherSizes")
{
    // 7 bytes count as 8: the last three repeated as [2,2,3,3]
    REQUIRE_EQ(computeChecksum(Bytes{1, 1, 1, 1, 2, 2, 3}), std::uint16_t(4 + 2 + 2 + 3 + 3));
    // 6 bytes count as 8: the last two twice
    REQUIRE_EQ(computeChecksum(Bytes{1, 1, 1, 1, 2, 2}), std::uint16_t(4 + 8));
    REQUIRE_EQ(computeChecksum(Bytes{5, 6, 7, 8}), std::uint16_t(26));
    // a 3 MiB image counts its last MiB twice; the sum wraps at 16 bits
    Bytes image(3u << 20, 0);
    image[0x100000] = 0x10;  // first 2 MiB: once
    image[0x200000] = 0x01;  // last MiB: twice
    image[0x2FFFFF] = 0xFF;
    const auto fields = checksumFieldBytes(0x1234);
    std::copy(fields.begin(), fields.end(), image.begin() + kComplementPosition);
    REQUIRE_EQ(computeChecksum(image), std::uint16_t(0x10 + 2 * (0x01 + 0xFF) + 0x1FE));
    Bytes wrapping(0x20000, 0xFF);
    REQUIRE_EQ(computeChecksum(wrapping), std::uint16_t((0x20000 * 0xFF - 4 * 0xFF + 0x1FE) & 0xFFFF));
}

TEST_CASE("checksumGoesStaleAndIsFixedInPlace")
{
    for (bool headered : {false, true}) {
        TempFolder dir;
        const std::string path = dir.filePath("game.sfc");
        Bytes image = makeSampleImage();
        image[tables::weapons.base] ^= 0x21;  // a saved edit
        const Bytes file = headered ? withHeader(image) : image;
        writeFile(path, file);
        const auto stale = readImageFacts(path);
        REQUIRE(stale.ok());
        REQUIRE(!stale->checksumOk);
        REQUIRE(stale->computedChecksum != stale->header->checksum);

        const auto fixed = fixChecksumFile(path);
        REQUIRE_MESSAGE(fixed.ok(), fixed.error().c_str());
        REQUIRE(fixed->written);
        REQUIRE_EQ(fixed->before, stale->header->checksum);
        REQUIRE_EQ(fixed->after, stale->computedChecksum);
        const Bytes after = fileBytes(path);
        const std::size_t fields = (headered ? 512 : 0) + kComplementPosition;
        for (std::size_t k = 0; k < after.size(); ++k)
            if (after[k] != file[k])
                REQUIRE_MESSAGE((k >= fields && k < fields + 4), std::to_string(k).c_str());
        REQUIRE(readImageFacts(path)->checksumOk);
        // a matching checksum is left alone
        const auto again = fixChecksumFile(path);
        REQUIRE((again.ok() && !again->written));
        REQUIRE_EQ(fileBytes(path), after);
    }
    // a broken complement alone makes the checksum stale too
    TempFolder dir;
    const std::string path = dir.filePath("game.sfc");
    Bytes image = makeSampleImage();
    image[kComplementPosition] ^= 0xFF;
    writeFile(path, image);
    REQUIRE(!readImageFacts(path)->checksumOk);
    REQUIRE(fixChecksumFile(path)->written);
    REQUIRE_EQ(fileBytes(path), makeSampleImage());
}

TEST_CASE("checksumFixIsRefusedForOtherFiles")
{
    TempFolder dir;
    const std::string path = dir.filePath("other.bin");
    Bytes other = makeSampleImage();
    other[kIdentityPosition] ^= 1;
    other[5] ^= 1;
    writeFile(path, other);
    const auto fixed = fixChecksumFile(path);
    REQUIRE(!fixed.ok());
    REQUIRE_MESSAGE(contains(fixed.error(), "not a Veldra Saga ROM"), fixed.error().c_str());
    REQUIRE_EQ(fileBytes(path), other);
    REQUIRE(contains(fixChecksumFile(dir.filePath("missing.sfc")).error(), "no such file"));
}

TEST_CASE("stripHeaderWritesACopyOnly")
{
    TempFolder dir;
    const std::string headered = dir.filePath("headered.smc");
    const std::string plain = dir.filePath("plain.sfc");
    const Bytes file = withHeader(makeSampleImage());
    writeFile(headered, file);
    REQUIRE(stripHeaderFile(headered, plain).ok());
    REQUIRE_EQ(fileBytes(plain), makeSampleImage());
    REQUIRE_EQ(fileBytes(headered), file);

    struct Refusal {
        std::string input;
        std::string output;
        Existing existing;
        const char* reason;
    };
    const std::string foreign = dir.filePath("foreign.bin");
    writeFile(foreign, Bytes(0x20200, 0));
    const Refusal refusals[] = {
        {headered, plain, Existing::Refuse, "already exists"},
        {plain, dir.filePath("x.sfc"), Existing::Refuse, "has no copier header"},
        {foreign, dir.filePath("y.sfc"), Existing::Refuse, "not a Veldra Saga ROM"},
        {headered, headered, Existing::Replace, "which is only read"},
    };
    for (const Refusal& r : refusals) {
        const Status done = stripHeaderFile(r.input, r.output, r.existing);
        REQUIRE(!done.ok());
        REQUIRE_MESSAGE(contains(done.error(), r.reason), done.error().c_str());
    }
    REQUIRE_EQ(fileBytes(headered), file);
    REQUIRE_EQ(folderContents(dir), (Names{"foreign.bin", "headered.smc", "plain.sfc"}));
}

TEST_CASE("newFilesAreWrittenWholeOrNotAtAll")
{
    TempFolder dir;
    const std::string path = dir.filePath("out.bin");
    const Bytes first{1, 2, 3};
    REQUIRE(writeNewFile(path, first).ok());
    REQUIRE_EQ(fileBytes(path), first);
    const Status again = writeNewFile(path, Bytes{9});
    REQUIRE(!again.ok());
    REQUIRE_EQ(again.error(), "cannot write " + path + ": the file already exists");
    REQUIRE_EQ(fileBytes(path), first);
    REQUIRE(writeNewFile(path, Bytes{9}, Existing::Replace).ok());
    REQUIRE_EQ(fileBytes(path), Bytes{9});
    REQUIRE(contains(writeNewFile(dir.path(), first, Existing::Replace).error(), "it is a folder"));
    REQUIRE(contains(writeNewFile(dir.filePath("no/such/out.bin"), first).error(), "no such file or folder"));
    REQUIRE_EQ(folderContents(dir), Names{"out.bin"});
}

TEST_CASE("aWriterThatWaitedWritesIntoTheFileNowInPlace")
{
    // a writer waits for the lock while another puts a whole new file in the
    // image's place, as a restore does: its write goes into the new file,
    // not into the one it opened first, which nobody reads again
    TempFolder dir;
    const std::string path = dir.filePath("image.sfc");
    REQUIRE(writeSampleImage(path).ok());
    const Bytes original = fileBytes(path);
    auto opened = openRegularFile(path, true);
    REQUIRE(opened.ok());
    FileHandle holder = std::move(opened.value());
    REQUIRE(lockExclusive(holder.get(), std::chrono::milliseconds(0)) == LockOutcome::Locked);

    constexpr std::uint32_t kAt = 0x1000;
    Status written = Status::failure("not run");
    std::thread writer([&] { written = RomImage(path).write(kAt, Bytes{0x77}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the writer has opened the image and waits
    Bytes restored = original;
    restored[0x2000] ^= 0xFF;
    REQUIRE(writeNewFile(path, restored, Existing::Replace).ok());
    holder.reset();  // lets go of the lock
    writer.join();

    REQUIRE_MESSAGE(written.ok(), written.error());
    Bytes expected = restored;
    expected[kAt] = 0x77;
    REQUIRE(fileBytes(path) == expected);
}

TEST_CASE("fileSizeLimitLeavesNoPartialFile")
{
    TempFolder dir;
    const std::string fresh = dir.filePath("fresh.bin");
    const std::string kept = dir.filePath("kept.bin");
    writeFile(kept, Bytes(100, 7));
    int pipeEnds[2];
    REQUIRE_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    if (child == 0) {
        // a real limit, as `ulimit -f` sets it; the writer itself must keep
        // SIGXFSZ from ending the process
        close(pipeEnds[0]);
        rlimit limit{16384, 16384};
        setrlimit(RLIMIT_FSIZE, &limit);
        const Bytes large(1u << 20, 0xA5);
        const Status fresh1 = writeNewFile(fresh, large);
        const Status kept1 = writeNewFile(kept, large, Existing::Replace);
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
    REQUIRE_EQ(waitpid(child, &status, 0), child);
    REQUIRE_MESSAGE(WIFEXITED(status), "the writer was ended by a signal");
    REQUIRE_EQ(WEXITSTATUS(status), 0);
    REQUIRE_MESSAGE((contains(report, "size limit for files") && contains(report, "nothing was written")), report.c_str());
    REQUIRE((contains(report, fresh.c_str()) && contains(report, kept.c_str())));
    REQUIRE_EQ(fileBytes(kept), Bytes(100, 7));
    REQUIRE_EQ(folderContents(dir), Names{"kept.bin"});
}

TEST_CASE("unwritableFolderIsReported")
{
    if (geteuid() == 0) {
        MESSAGE("skipped: permissions do not bind the superuser");
        return;
    }
    TempFolder dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const Status done = writeNewFile(dir.filePath("out.bin"), Bytes{1});
    fs::permissions(dir.path(), fs::perms::owner_all);
    REQUIRE(!done.ok());
    REQUIRE_MESSAGE(contains(done.error(), "permission denied"), done.error().c_str());
    REQUIRE(folderContents(dir).empty());
}

TEST_CASE("patchFilesRoundTrip")
{
    TempFolder dir;
    const std::string original = dir.filePath("original.sfc");
    const std::string modified = dir.filePath("modified.sfc");
    Bytes changed = makeSampleImage();
    changed[tables::weapons.base + 2] = 99;
    changed[tables::chests.base + 7] ^= 0x80;
    writeFile(original, makeSampleImage());
    writeFile(modified, changed);
    for (PatchFormat format : {PatchFormat::Bps, PatchFormat::Ips}) {
        const std::string patch = dir.filePath(format == PatchFormat::Bps ? "hack.bps" : "hack.ips");
        const std::string result = dir.filePath(format == PatchFormat::Bps ? "bps.sfc" : "ips.sfc");
        const auto made = createPatchFile(original, modified, patch, format);
        REQUIRE_MESSAGE(made.ok(), made.error().c_str());
        REQUIRE_EQ(made->changedRuns, std::size_t(2));
        REQUIRE_EQ(made->size, std::uint64_t(fileBytes(patch).size()));
        const auto applied = applyPatchFile(original, patch, result);
        REQUIRE_MESSAGE(applied.ok(), applied.error().c_str());
        REQUIRE_EQ(fileBytes(result), changed);
    }
    REQUIRE_EQ(fileBytes(original), makeSampleImage());
    REQUIRE_EQ(fileBytes(modified), changed);
}

TEST_CASE("patchFileRefusalsWriteNothing")
{
    TempFolder dir;
    const Bytes sample = makeSampleImage();
    Bytes other = sample;
    other[0x100] ^= 1;
    Bytes notGame = sample;
    notGame[kIdentityPosition] ^= 1;
    const std::string image = dir.filePath("image.sfc");
    const std::string otherImage = dir.filePath("other.sfc");
    const std::string headered = dir.filePath("headered.smc");
    const std::string foreign = dir.filePath("foreign.bin");
    const std::string forOther = dir.filePath("for-other.bps");
    const std::string breaksId = dir.filePath("breaks-identity.ips");
    const std::string out = dir.filePath("out.sfc");
    writeFile(image, sample);
    writeFile(otherImage, other);
    writeFile(headered, withHeader(sample));
    writeFile(foreign, notGame);
    writeFile(forOther, createBps(other, sample));
    writeFile(breaksId, *createIps(sample, notGame));
    const Names before = folderContents(dir);

    struct Case {
        const char* name;
        std::function<std::string()> run;
        const char* reason;
    };
    const Case cases[] = {
        {"bps for another image", [&] { return applyPatchFile(image, forOther, out).error(); },
         "made for an image with CRC32 "},
        {"result not the game", [&] { return applyPatchFile(image, breaksId, out).error(); },
         "the result is not a Veldra Saga ROM"},
        {"not a patch", [&] { return applyPatchFile(image, image, out).error(); }, "not a patch"},
        {"output is the image", [&] { return applyPatchFile(otherImage, forOther, otherImage, Existing::Replace).error(); },
         "which is only read"},
        {"output exists", [&] { return applyPatchFile(otherImage, forOther, image).error(); }, "already exists"},
        {"headered original", [&] { return createPatchFile(headered, image, out, PatchFormat::Bps).error(); },
         "carries a 512-byte copier header"},
        {"modified not the game", [&] { return createPatchFile(image, foreign, out, PatchFormat::Bps).error(); },
         "foreign.bin is not a Veldra Saga ROM"},
        {"patch over an input", [&] { return createPatchFile(image, otherImage, otherImage, PatchFormat::Ips, Existing::Replace).error(); },
         "which is only read"},
        {"existing patch", [&] { return createPatchFile(image, otherImage, forOther, PatchFormat::Bps).error(); },
         "already exists"},
    };
    for (const Case& c : cases) {
        const std::string error = c.run();
        REQUIRE_MESSAGE(contains(error, c.reason), (std::string(c.name) + ": " + error).c_str());
    }
    REQUIRE_EQ(folderContents(dir), before);
    REQUIRE_EQ(fileBytes(otherImage), other);
    REQUIRE_EQ(fileBytes(image), sample);
}

