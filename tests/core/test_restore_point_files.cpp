#include "rom/files.h"
#include "rom/formats/crc32.h"
#include "rom/history/data_folder.h"
#include "rom/history/restore_points.h"
#include "rom/image_facts.h"
#include "rom/platform/path_text.h"
#include "rom/sample_image.h"
#include "rom/tables.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_folder.h"

#include <doctest/doctest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// Restore points as files: kept, checked, let go and written back, with a
// data folder of each test's own.

namespace {

namespace fs = std::filesystem;

Bytes fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                  std::streamsize(bytes.size()));
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> fileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A sample image in a temporary folder, with a data folder of its own.
struct Fixture {
    TempFolder dir;
    fs::path image = fs::path(dir.path()) / "image.sfc";
    std::string oldData;

    Fixture()
    {
        if (const char* data = std::getenv("VELDRA_FORGE_DATA_DIR"))
            oldData = data;
        fs::create_directory(fs::path(dir.path()) / "data");
        ::setenv("VELDRA_FORGE_DATA_DIR", (dir.path() + "/data").c_str(), 1);
        REQUIRE(writeSampleImage(image));
        forgetRestorePointsOfThisRun();
    }
    ~Fixture()
    {
        ::setenv("VELDRA_FORGE_DATA_DIR", oldData.c_str(), 1);
        forgetRestorePointsOfThisRun();
    }

    std::vector<RestorePoint> points() const { return *listRestorePoints(image); }
};

Bytes edited(std::uint8_t value)
{
    Bytes bytes = makeSampleImage();
    bytes[tables::weapons.base] = value;
    return bytes;
}

Bytes headered(const Bytes& image)
{
    Bytes bytes(kCopierHeaderSize, 0);
    bytes.insert(bytes.end(), image.begin(), image.end());
    return bytes;
}

}  // namespace

TEST_CASE("aRestoreThatFailsLetsNoPointGo")
{
    Fixture f;
    REQUIRE(setKeptRestorePoints(3));
    // the oldest point is the image with a copier header: 512 bytes longer
    // than the image, so that a file size limit between the two lets the
    // point of the image as it is be kept and stops the restore's write
    const Bytes oldest = headered(edited(1));
    REQUIRE(keepRestorePoint(f.image, oldest));
    REQUIRE(keepRestorePoint(f.image, edited(2)));
    REQUIRE(keepRestorePoint(f.image, edited(3)));
    const auto before = f.points();
    REQUIRE(before.size() == 3);
    const Bytes image = fileBytes(f.image);

    const std::string said = inChild([&] {
        FileSizeLimit limit(kImageSize + 256);
        const Status restored = restoreInPlace(f.image, before.back());
        return restored ? std::string("restored") : restored.error();
    });
    CHECK(contains(said, "nothing was"));
    CHECK(fileBytes(f.image) == image);
    // every point is there, the one to restore too, and none was added
    const auto after = f.points();
    REQUIRE(after.size() == 3);
    for (std::size_t i = 0; i < 3; ++i)
        CHECK(after[i].file == before[i].file);
    CHECK(fileBytes(after.back().file) == oldest);
    CHECK(fileNames(f.dir.path()) == std::vector<std::string>{"data", "image.sfc"});

    // done, the restored point stays as well as the newest ones
    REQUIRE(restoreInPlace(f.image, before.back()));
    CHECK(fileBytes(f.image) == oldest);
    const auto done = f.points();
    REQUIRE(done.size() == 4);
    CHECK(fileBytes(done.front().file) == image);
    CHECK(done.back().file == before.back().file);
    // the next point lets it go as the oldest
    REQUIRE(keepRestorePoint(f.image, edited(4)));
    const auto later = f.points();
    REQUIRE(later.size() == 3);
    CHECK(later[1].file == done.front().file);
    CHECK(later[2].file == before[0].file);
    REQUIRE(setKeptRestorePoints(kDefaultKeptPoints));
}

TEST_CASE("aRestoreKeepsTheImageItReplacesWithHistoryOff")
{
    Fixture f;
    REQUIRE(keepRestorePoint(f.image, edited(7)));
    const Bytes now = fileBytes(f.image);
    const fs::path history = *historyFolderFor(f.image);
    std::ofstream(history / "off") << "";
    REQUIRE(keepRestorePoint(f.image, edited(8)));  // turned off: nothing is kept before a write
    REQUIRE(f.points().size() == 1);

    REQUIRE(restoreInPlace(f.image, f.points().front()));
    CHECK(fileBytes(f.image) == edited(7));
    const auto points = f.points();
    REQUIRE(points.size() == 2);
    CHECK(fileBytes(points.front().file) == now);
    CHECK(fs::exists(history / "off"));
}

TEST_CASE("aPointIsRestoredOnlyWhenItPassesItsCheck")
{
    Fixture f;
    const Bytes kept = edited(9);
    REQUIRE(keepRestorePoint(f.image, kept));
    const RestorePoint point = f.points().front();
    REQUIRE(point.check);
    CHECK(point.check->size == kept.size());
    CHECK(point.check->crc32 == crc32Of(kept));
    CHECK(contains(point.file.filename().string(), ".veldra-forge.4194304-"));
    const fs::path out = fs::path(f.dir.path()) / "out.sfc";
    REQUIRE(restoreToNewFile(point, out));
    CHECK(fileBytes(out) == kept);
    fs::remove(out);

    struct Damage {
        const char* what;
        Bytes bytes;
        const char* reason;
    };
    Bytes flipped = kept;
    flipped[0x234567] ^= 0x10;
    const Damage damages[] = {
        {"cut short", Bytes(kept.begin(), kept.begin() + 70000), "70000 bytes where it was 4194304"},
        {"half", Bytes(kept.begin(), kept.begin() + kImageSize / 2), "2097152 bytes where it was 4194304"},
        {"a byte flipped", flipped, "the CRC-32 differs"},
    };
    const Bytes image = fileBytes(f.image);
    for (const Damage& damage : damages) {
        CAPTURE(damage.what);
        putBytes(point.file, damage.bytes);
        REQUIRE(f.points().size() == 1);  // still listed
        const Status copied = restoreToNewFile(f.points().front(), out);
        REQUIRE(!copied);
        CHECK(contains(copied.error(), "the restore point " + point.name));
        CHECK(contains(copied.error(), damage.reason));
        CHECK(!fs::exists(out));
        const Status inPlace = restoreInPlace(f.image, f.points().front());
        REQUIRE(!inPlace);
        CHECK(contains(inPlace.error(), "is damaged"));
        CHECK(fileBytes(f.image) == image);
        CHECK(f.points().size() == 1);
    }
}

TEST_CASE("pointsKeptBeforeTheChecksAreListedAndRestored")
{
    Fixture f;
    const fs::path folder = *historyFolderFor(f.image) / "restore";
    fs::create_directories(folder);
    const fs::path old = folder / "2026-12-01_10-00-00.000Z.veldra-cli-set.sfc";
    putBytes(old, edited(5));
    putBytes(folder / "2026-12-01_09-00-00.000Z-2.veldra-forge.sfc", headered(edited(6)));
    const auto points = f.points();
    REQUIRE(points.size() == 2);
    CHECK(points[0].name == "2026-12-01_10-00-00.000Z");
    CHECK(points[0].writer == "veldra-cli-set");
    CHECK(!points[0].check);
    CHECK(points[1].name == "2026-12-01_09-00-00.000Z-2");
    CHECK(points[1].writer == "veldra-forge");
    REQUIRE(restoreInPlace(f.image, points[0]));
    CHECK(fileBytes(f.image) == edited(5));
    // the new point carries its check beside the old ones
    CHECK(f.points().front().check);
    CHECK(f.points().size() == 3);

    // one cut short of an image is refused
    const Bytes whole = edited(5);
    putBytes(old, Bytes(whole.begin(), whole.begin() + kImageSize / 2));
    const Status cut = restoreToNewFile(*findRestorePoint(f.image, "2026-12-01_10-00-00.000Z"),
                                        fs::path(f.dir.path()) / "out.sfc");
    REQUIRE(!cut);
    CHECK(contains(cut.error(), "shorter than an image"));
}

TEST_CASE("theRestorePointsOfAGoneImageAreFound")
{
    Fixture f;
    REQUIRE(keepRestorePoint(f.image, edited(11)));
    const fs::path history = *historyFolderFor(f.image);
    fs::remove(f.image);
    CHECK(*historyFolderFor(f.image) == history);
    // spelled another way too: through ".." of its folder
    CHECK(*historyFolderFor(fs::path(f.dir.path()) / "data" / ".." / "image.sfc") == history);
    const auto point = findRestorePoint(f.image, "1");
    REQUIRE(point);
    const fs::path out = fs::path(f.dir.path()) / "back.sfc";
    REQUIRE(restoreToNewFile(*point, out));
    CHECK(fileBytes(out) == edited(11));
    const Status inPlace = restoreInPlace(f.image, *point);
    REQUIRE(!inPlace);
    CHECK(contains(inPlace.error(), "there is no such file"));
    CHECK(!fs::exists(f.image));
}

TEST_CASE("anImageOfALongNameHasAHistory")
{
    Fixture f;
    std::string japanese;
    for (int i = 0; i < 80; ++i)
        japanese += "\xe3\x81\x82";  // U+3042, three bytes each: 240 bytes
    const fs::path longImage = fs::path(f.dir.path()) / (japanese + ".sfc");
    const fs::path otherLong = fs::path(f.dir.path()) / (japanese + "2.sfc");
    REQUIRE(writeSampleImage(longImage));
    REQUIRE(writeSampleImage(otherLong));
    const auto folder = historyFolderFor(longImage);
    REQUIRE(folder);
    const std::string name = folder->filename().string();
    CHECK(name.size() <= 255);
    CHECK(name.size() == 120 + 17);  // cut on a character's boundary: 40 of them
    CHECK(name.starts_with(japanese.substr(0, 120)));
    CHECK(*historyFolderFor(otherLong) != *folder);
    REQUIRE(keepRestorePoint(longImage, edited(12)));
    CHECK(listRestorePoints(longImage)->size() == 1);

    // a name that fits keeps its folder as before: the name whole and the hash
    const std::string fits(200, 'a');
    const fs::path image = fs::path(f.dir.path()) / fits;
    REQUIRE(writeSampleImage(image));
    CHECK(historyFolderFor(image)->filename().string().starts_with(fits + "-"));
}

TEST_CASE("clearingTheHistoryKeepsPointsAgainInTheSameRun")
{
    Fixture f;
    {
        const RomImage rom(f.image);
        const auto file = rom.openForWriting();
        REQUIRE(file);
        REQUIRE(keepRestorePointBeforeFirstWrite(*file));
    }
    REQUIRE(f.points().size() == 1);
    const fs::path history = *historyFolderFor(f.image);
    std::ofstream(history / "journal") << "x";
    REQUIRE(clearImageHistory(f.image));
    CHECK(f.points().empty());
    CHECK(!fs::exists(history / "journal"));
    const RomImage rom(f.image);
    const auto file = rom.openForWriting();
    REQUIRE(file);
    REQUIRE(keepRestorePointBeforeFirstWrite(*file));
    CHECK(f.points().size() == 1);
}

TEST_CASE("temporaryFilesOfEndedRunsAreRemoved")
{
    TempFolder dir;
    const fs::path folder = dir.path();
    // a writer killed between making its temporary file and renaming it
    const auto holder = [&](const char* name) {
        int ready[2];
        REQUIRE(::pipe(ready) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open((folder / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            (void)::flock(fd, LOCK_EX);
            (void)!::write(fd, "part", 4);
            (void)!::write(ready[1], "!", 1);
            ::pause();
            ::_exit(0);
        }
        char c;
        (void)!::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
        return child;
    };
    const pid_t killed = holder(".vf-Killed");
    ::kill(killed, SIGKILL);
    ::waitpid(killed, nullptr, 0);
    const pid_t alive = holder(".vf-Living");
    std::ofstream(folder / ".vf-NoLock") << "left by an older version";
    std::ofstream(folder / ".vf-Recent") << "just made, not locked yet";
    std::ofstream(folder / ".vf-toolong1") << "not one of ours";
    const auto ago = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    for (const char* name : {".vf-Killed", ".vf-Living", ".vf-NoLock", ".vf-toolong1"})
        fs::last_write_time(folder / name, ago);

    REQUIRE(writeNewFile(folder / "out.bin", Bytes{1, 2, 3}));
    CHECK(fileNames(folder) == std::vector<std::string>{".vf-Living", ".vf-Recent", ".vf-toolong1", "out.bin"});
    ::kill(alive, SIGKILL);
    ::waitpid(alive, nullptr, 0);
}

TEST_CASE("aHardLinkOfAnImageSharesItsHistory")
{
    Fixture f;
    // a folder of an earlier version: named the same way, without the record
    const fs::path folder = *historyFolderFor(f.image);
    fs::create_directories(folder / "restore");
    putBytes(folder / "restore" / "2026-12-01_10-00-00.000Z.veldra-cli-set.sfc", edited(13));
    CHECK(*historyFolderFor(f.image) == folder);  // found, and recorded now

    const fs::path link = fs::path(f.dir.path()) / "link.sfc";
    fs::create_hard_link(f.image, link);
    CHECK(*historyFolderFor(link) == folder);
    CHECK(listRestorePoints(link)->size() == 1);
    // a restore through the link writes a new file there: both names still
    // find the one history (each its own file now)
    REQUIRE(restoreInPlace(link, f.points().front()));
    CHECK(*historyFolderFor(link) == folder);
    CHECK(listRestorePoints(link)->size() == 2);

    // a copy is another file: a history of its own
    const fs::path copy = fs::path(f.dir.path()) / "copy.sfc";
    fs::copy_file(f.image, copy);
    CHECK(*historyFolderFor(copy) != folder);
    // a file that takes the recorded name's place later is not taken for it
    fs::remove(link);
    fs::remove(f.image);
    REQUIRE(writeSampleImage(f.image));
    fs::create_hard_link(f.image, link);
    CHECK(*historyFolderFor(f.image) == folder);  // by its own name still
}
