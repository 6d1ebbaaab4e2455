// The project's benchmark: the core's operations and the command-line tool as
// a whole process, on a generated 4 MiB image. Run with ./forge bench.
#include "cli/dump_format.h"
#include "cli/import_reader.h"
#include "rom/edit_plan.h"
#include "rom/field_keys.h"
#include "rom/record_io.h"
#include "rom/sample_image.h"
#include "rom/table_blocks.h"
#include "rom/tables.h"
#include "rom/field_lists.h"
#include "rom/history/checked_write.h"
#include "rom/history/data_folder.h"
#include "rom/history/restore_points.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::vector<const Table*> declaredTables();

// A folder with the sample image and two full dumps that differ in 500 fields.
struct Fixture {
    fs::path folder;
    fs::path image;
    fs::path dumpA;  // the sample as it is
    fs::path dumpB;  // 500 fields changed
    std::string textA;
    std::string textB;

    Fixture()
    {
        folder = fs::temp_directory_path() / ("veldra-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        // the lasting history of the tool's saves (journals, restore points) goes beside
        // the fixture, for this process and the tools it starts, not into the user's data folder
        ::setenv("VELDRA_FORGE_DATA_DIR", (folder / "data").c_str(), 1);
        image = folder / "sample.sfc";
        fs::remove(image);
        if (!writeSampleImage(image))
            std::abort();
        std::vector<const KeyedTable*> all;
        for (const KeyedTable& t : keyedTables())
            all.push_back(&t);
        textA = dumpJson(image.string(), fs::file_size(image), *TableBlocks::read(RomImage(image), declaredTables()), all);
        auto json = nlohmann::ordered_json::parse(textA);
        // 250 enemies, two fields each
        auto& stats = json["tables"]["enemy-stats"];
        for (int i = 0; i < 250; ++i) {
            for (const char* key : {"level", "speed"}) {
                const int v = stats[i][key].get<int>();
                stats[i][key] = v == 100 ? 101 : 100;
            }
        }
        textB = json.dump();
        dumpA = folder / "a.json";
        dumpB = folder / "b.json";
        std::ofstream(dumpA) << textA;
        std::ofstream(dumpB) << textB;
    }

    ~Fixture() { fs::remove_all(folder); }
};

std::vector<const Table*> declaredTables()
{
    const auto all = tables::all();
    return {all.begin(), all.end()};
}

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// A build of the tool, and what runs it where it cannot start on its own.
struct Tool {
    std::string runner;  // empty: the program starts by itself
    std::string program;
};

const Tool& nativeTool()
{
    static const Tool tool{{}, VELDRA_CLI_PATH};
    return tool;
}

// Runs the tool and waits for it; its output goes nowhere. With `written`,
// the bytes the process wrote (its wchar, read before it is reaped).
int runTool(const Tool& tool, const std::vector<std::string>& args, std::uint64_t* written = nullptr)
{
    std::vector<std::string> words;
    if (!tool.runner.empty())
        words.push_back(tool.runner);
    words.push_back(tool.program);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, words.front().c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return -1;
    if (written) {
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
        std::ifstream io("/proc/" + std::to_string(pid) + "/io");
        std::string word;
        while (io >> word)
            if (word == "wchar:")
                io >> *written;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runTool(const std::vector<std::string>& args, std::uint64_t* written = nullptr)
{
    return runTool(nativeTool(), args, written);
}

void BM_ReadRecord(benchmark::State& state)
{
    const RomImage image(fixture().image);
    int i = 0;
    for (auto _ : state) {
        auto record = readRecord(image, tables::enemyStats, i++ % 256);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_ReadRecord);

void BM_ResolveItemLabel(benchmark::State& state)
{
    const auto items = valueList(ValueListId::ItemBytes);
    const std::string label = items[231].label;  // far down the list
    for (auto _ : state) {
        auto value = resolveStoredValue(items, label, 0, "Dropped Item", Notation::Tool);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_ResolveItemLabel);

void BM_StoreTypedValue(benchmark::State& state)
{
    const Bytes image = *RomImage(fixture().image).readAll();  // planned over the whole file's bytes
    const KeyedTable& stats = *findKeyedTable("enemy-stats");
    const std::vector<FieldEdit> edits{{&stats, 7, stats.find("hp"), "&H1F4", {}}};
    for (auto _ : state) {
        auto plan = planEdits(image, edits);
        benchmark::DoNotOptimize(plan);
    }
}
BENCHMARK(BM_StoreTypedValue);

void BM_DumpEveryTableJson(benchmark::State& state)
{
    std::vector<const KeyedTable*> all;
    for (const KeyedTable& t : keyedTables())
        all.push_back(&t);
    for (auto _ : state) {
        const auto blocks = TableBlocks::read(RomImage(fixture().image), declaredTables());
        std::string text = dumpJson(fixture().image.string(), fs::file_size(fixture().image), *blocks, all);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_DumpEveryTableJson)->Unit(benchmark::kMillisecond);

// Reads, checks and writes a full dump that changes 500 fields; every other
// run changes them back.
void BM_ImportFullDump(benchmark::State& state)
{
    static bool toB = true;  // the image stays changed from one run of this to the next
    for (auto _ : state) {
        const ImportReading reading = readJsonImport(toB ? fixture().textB : fixture().textA);
        const auto blocks = TableBlocks::read(RomImage(fixture().image), declaredTables());
        const EditPlan plan = planEdits(blocks->reader(), reading.edits);
        if (plan.changes.size() != 250 || !applyPlan(RomImage(fixture().image), plan))
            state.SkipWithError("the import did not change 500 fields");
        toB = !toB;
    }
}
BENCHMARK(BM_ImportFullDump)->Unit(benchmark::kMillisecond);

// A save that finds the image not as the program left it: one record
// written after a whole copy of the 4 MiB image is kept as a restore point
// (the recorded state is forgotten before each).
void BM_FirstSaveWithRestorePoint(benchmark::State& state)
{
    const RomImage image(fixture().image);
    const Table& table = tables::enemyStats;
    Bytes record = *image.read(table.base + 7 * table.recordSize, table.recordSize);
    const fs::path recorded = *historyFolderFor(fixture().image) / "image-state";
    for (auto _ : state) {
        forgetRestorePointsOfThisRun();
        fs::remove(recorded);
        Bytes next = record;
        next[0] ^= 1;
        if (!writeChecked(image, table, 7, record, next))
            state.SkipWithError("the save failed");
        record = next;
    }
}
BENCHMARK(BM_FirstSaveWithRestorePoint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessDumpAllJson(benchmark::State& state)
{
    for (auto _ : state)
        if (runTool({"dump", fixture().image.string()}) != 0)
            state.SkipWithError("dump failed");
}
BENCHMARK(BM_ProcessDumpAllJson)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessSetOneField(benchmark::State& state)
{
    static int hp = 0;
    for (auto _ : state)
        if (runTool({"set", fixture().image.string(), "enemy-stats", "7", "hp=" + std::to_string(1000 + (hp++ % 2))}) != 0)
            state.SkipWithError("set failed");
}
BENCHMARK(BM_ProcessSetOneField)->Unit(benchmark::kMillisecond)->UseRealTime();

// One field set by a run of the tool, on an image with its history on (a
// journal entry, the state recorded; no restore point, as the image is as
// the history left it) and on one with its history off: the pair the history's
// cost is judged by, with the bytes each run writes.
void setOneFieldRuns(benchmark::State& state, bool historyOn)
{
    const fs::path image = fixture().folder / (historyOn ? "history-on.sfc" : "history-off.sfc");
    if (!fs::exists(image)) {
        fs::copy_file(fixture().image, image);
        if (!historyOn) {
            const fs::path folder = *historyFolderFor(image);
            fs::create_directories(folder);
            std::ofstream(folder / "off");
        }
    }
    static int hp = 0;
    std::uint64_t written = 0;
    const auto childCpu = [] {
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
               + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    };
    const double cpuBefore = childCpu();
    for (auto _ : state)
        if (runTool({"set", image.string(), "enemy-stats", "7", "hp=" + std::to_string(1000 + (hp++ % 2))}, &written) != 0)
            state.SkipWithError("set failed");
    state.counters["bytes_written"] = static_cast<double>(written);
    state.counters["tool_cpu_ms"] = (childCpu() - cpuBefore) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void BM_ProcessSetOneFieldHistoryOn(benchmark::State& state) { setOneFieldRuns(state, true); }
BENCHMARK(BM_ProcessSetOneFieldHistoryOn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessSetOneFieldHistoryOff(benchmark::State& state) { setOneFieldRuns(state, false); }
BENCHMARK(BM_ProcessSetOneFieldHistoryOff)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessImport500Fields(benchmark::State& state)
{
    static bool toB = true;  // the image stays changed from one run of this to the next
    for (auto _ : state) {
        if (runTool({"import", fixture().image.string(), (toB ? fixture().dumpB : fixture().dumpA).string()}) != 0)
            state.SkipWithError("import failed");
        toB = !toB;
    }
}
BENCHMARK(BM_ProcessImport500Fields)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Windows build, timed under Wine beside the native one where
// VELDRA_WINE_CLI names it (./forge bench does): the whole process as a
// Windows user's script would start it, Wine's start included.
void registerWineBenchmarks()
{
    const char* program = std::getenv("VELDRA_WINE_CLI");
    const char* runner = std::getenv("VELDRA_WINE");
    if (!program || !runner || !*program || !*runner)
        return;
    static const Tool wine{runner, program};
    benchmark::RegisterBenchmark("BM_WineProcessDumpAllJson", [](benchmark::State& state) {
        for (auto _ : state)
            if (runTool(wine, {"dump", fixture().image.string()}) != 0)
                state.SkipWithError("dump under Wine failed");
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_WineProcessSetOneField", [](benchmark::State& state) {
        static int hp = 0;
        for (auto _ : state)
            if (runTool(wine, {"set", fixture().image.string(), "enemy-stats", "7", "hp=" + std::to_string(1000 + (hp++ % 2))}) != 0)
                state.SkipWithError("set under Wine failed");
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    // Wine's own start, for telling it apart from the tool's work
    benchmark::RegisterBenchmark("BM_WineProcessVersion", [](benchmark::State& state) {
        for (auto _ : state)
            if (runTool(wine, {"--version"}) != 0)
                state.SkipWithError("--version under Wine failed");
    })->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerWineBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
