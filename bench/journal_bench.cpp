// The journal's cost: a save with its journal entry against one without, and
// reading back an image's history from a journal of 10,000 entries.
#include "rom/history/data_folder.h"
#include "rom/history/image_history.h"
#include "rom/record_io.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// An image of its own, its journals in a data folder of its own.
struct JournalFixture {
    fs::path folder;
    fs::path image;
    std::string previous;

    explicit JournalFixture(const char* name)
    {
        if (const char* chosen = std::getenv("VELDRA_FORGE_DATA_DIR"))
            previous = chosen;
        folder = fs::temp_directory_path() / ("veldra-bench-journal-" + std::to_string(::getpid()) + "-" + name);
        fs::create_directories(folder);
        ::setenv("VELDRA_FORGE_DATA_DIR", (folder / "data").c_str(), 1);
        image = folder / "sample.sfc";
        if (!writeSampleImage(image))
            std::abort();
    }
    ~JournalFixture()
    {
        if (previous.empty())
            ::unsetenv("VELDRA_FORGE_DATA_DIR");
        else
            ::setenv("VELDRA_FORGE_DATA_DIR", previous.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

// One weapon record saved with its attack flipped between two values, as a window's Save does.
ExpectedWrite nextWrite(const RomImage& image, int& flip)
{
    const Bytes before = *readRecord(image, tables::weapons, 4);
    Bytes after = before;
    after[0] = (flip++ % 2) ? 10 : 11;
    return {&tables::weapons, 4, before, after};
}

void BM_SaveWithoutJournal(benchmark::State& state)
{
    JournalFixture f("plain");
    const RomImage image(f.image);
    int flip = 0;
    for (auto _ : state) {
        const ExpectedWrite write = nextWrite(image, flip);
        if (!writeCheckedAll(image, {&write, 1}))
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(BM_SaveWithoutJournal)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveWithJournalEntry(benchmark::State& state)
{
    JournalFixture f("journalled");
    const RomImage image(f.image);
    ImageHistory history;
    int flip = 0;
    for (auto _ : state) {
        const ExpectedWrite write = nextWrite(image, flip);
        if (!history.save(image, {&write, 1}, SaveEntry{{}, "Sword 4", "Weapon", {}}))
            state.SkipWithError("the save failed");
    }
    if (!history.journalFile() || !fs::exists(*history.journalFile()))
        state.SkipWithError("no journal was written");
}
BENCHMARK(BM_SaveWithJournalEntry)->Unit(benchmark::kMillisecond)->UseRealTime();

// Load of an image: its history rebuilt from a journal of 10,000 saves.
void BM_LoadHistoryOf10000Entries(benchmark::State& state)
{
    JournalFixture f("full");
    const RomImage image(f.image);
    const fs::path file = *historyFolderFor(f.image) / "journal";
    fs::create_directories(file.parent_path());
    const Journal journal(file);
    int flip = 0;
    for (std::size_t i = 0; i < kJournalBound; ++i) {
        const ExpectedWrite w = nextWrite(image, flip);
        if (!journal.append({JournalKind::Save, {{{w.table, w.index, w.expected, w.record}}, "Sword 4", "Weapon",
                                                 std::chrono::system_clock::now()}},
                            image)
            || !image.write(*recordPosition(tables::weapons, 4), w.record)) {
            state.SkipWithError("the journal could not be made");
            return;
        }
    }
    for (auto _ : state) {
        ImageHistory history;
        history.open(f.image);
        if (history.history().entries().size() != kJournalBound)
            state.SkipWithError("the history is not the journal's");
    }
}
BENCHMARK(BM_LoadHistoryOf10000Entries)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
