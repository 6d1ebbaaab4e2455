// Switching entries in the enemy window against a plain Qt window with as
// many line edits and a 256-entry list, on a generated image, offscreen.
// Run with ./forge bench; the last lines give the ratio of the two.
#include "app/app_shell.h"
#include "app/compare_window.h"
#include "app/quiet_platform.h"
#include "editors/grid/grid_model.h"
#include "editors/grid/grid_window.h"
#include "rom/sample_image.h"
#include "rom/tables.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// The program on a sample image with the enemy window open.
struct EnemyFixture {
    QTemporaryDir folder;
    QuietPlatform platform;
    std::unique_ptr<AppShell> shell;
    QWidget* window = nullptr;
    QListWidget* list = nullptr;

    EnemyFixture()
    {
        const QString image = folder.filePath(QStringLiteral("sample.sfc"));
        if (!writeSampleImage(image.toStdString()))
            std::abort();
        shell = std::make_unique<AppShell>(platform);
        shell->start(image);
        window = shell->showWindow(QStringLiteral("Monster"));
        list = window->findChild<QListWidget*>(QStringLiteral("List1"));
        QApplication::processEvents();
    }
};

// made on first use, ended before the application is
std::unique_ptr<struct EnemyFixture> g_enemy;
std::unique_ptr<struct PlainFixture> g_plain;

EnemyFixture& enemy()
{
    if (!g_enemy)
        g_enemy = std::make_unique<EnemyFixture>();
    return *g_enemy;
}

// the controls the enemy window fills on a switch: every field, box and drop-down
int enemyControlCount()
{
    int count = 0;
    for (QWidget* w : enemy().window->findChildren<QWidget*>())
        if ((qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget())) || qobject_cast<QComboBox*>(w)
            || qobject_cast<QCheckBox*>(w))
            ++count;
    return count;
}

// A plain window: a 256-entry list and one line edit per enemy control; a
// switch sets every edit's text.
struct PlainFixture {
    QWidget window;
    QListWidget* list;
    std::vector<QLineEdit*> edits;

    PlainFixture()
    {
        list = new QListWidget(&window);
        list->setGeometry(0, 0, 400, 150);
        for (int i = 0; i < 256; ++i)
            list->addItem(QStringLiteral("%1 - Entry %1").arg(i, 2, 16, QLatin1Char('0')));
        const int count = enemyControlCount();
        for (int i = 0; i < count; ++i) {
            auto* edit = new QLineEdit(&window);
            edit->setGeometry(10 + (i % 4) * 100, 160 + (i / 4) * 24, 90, 22);
            edits.push_back(edit);
        }
        QObject::connect(list, &QListWidget::currentRowChanged, &window, [this](int row) {
            for (std::size_t i = 0; i < edits.size(); ++i)
                edits[i]->setText(QString::number((row * 7 + int(i)) % 256));
        });
        window.resize(420, 160 + (count / 4 + 1) * 24);
        window.show();
        QApplication::processEvents();
    }
};

PlainFixture& plain()
{
    if (!g_plain)
        g_plain = std::make_unique<PlainFixture>();
    return *g_plain;
}

void switchEntries(benchmark::State& state, QWidget* window, QListWidget* list, bool repaint)
{
    int row = 0;
    for (auto _ : state) {
        row = (row + 37) % 256;
        list->setCurrentRow(row);
        if (repaint)
            window->repaint();
    }
}

void BM_EnemyWindowSwitch(benchmark::State& state) { switchEntries(state, enemy().window, enemy().list, false); }
void BM_PlainWindowSwitch(benchmark::State& state) { switchEntries(state, &plain().window, plain().list, false); }
void BM_EnemyWindowSwitchRepaint(benchmark::State& state) { switchEntries(state, enemy().window, enemy().list, true); }
void BM_PlainWindowSwitchRepaint(benchmark::State& state) { switchEntries(state, &plain().window, plain().list, true); }

// One click of "Read Names from ROM?" in the enemy (or Gato) window, and
// what it leaves for the event loop (the lists' layout): ticking fills the
// names list from the image, unticking empties it; the runs alternate.
void clickReadNames(benchmark::State& state, QWidget* window)
{
    auto* box = window->findChild<QCheckBox*>(QStringLiteral("preread"));
    for (auto _ : state) {
        box->click();
        QApplication::processEvents();
    }
    if (box->isChecked())
        box->click();
}

QWidget* gatoWindow()
{
    static QWidget* gato = enemy().shell->showWindow(QStringLiteral("Gato"));
    return gato;
}

void BM_EnemyWindowReadNamesClick(benchmark::State& state) { clickReadNames(state, enemy().window); }
void BM_GatoWindowReadNamesClick(benchmark::State& state) { clickReadNames(state, gatoWindow()); }

// The table grid on its own program and image, the platform answering Yes
// to Save's question.
struct GridFixture {
    struct YesPlatform : QuietPlatform {
        bool ask(QWidget*, const QString&) override { return true; }
    };
    QTemporaryDir folder;
    YesPlatform platform;
    std::unique_ptr<AppShell> shell;

    GridFixture()
    {
        const QString image = folder.filePath(QStringLiteral("grid.sfc"));
        if (!writeSampleImage(image.toStdString()))
            std::abort();
        shell = std::make_unique<AppShell>(platform);
        shell->start(image);
    }
};
std::unique_ptr<GridFixture> g_grid;

GridFixture& gridFixture()
{
    if (!g_grid)
        g_grid = std::make_unique<GridFixture>();
    return *g_grid;
}

void closeGrid()
{
    if (QWidget* open = gridFixture().shell->windows().find(QStringLiteral("Grid"))) {
        open->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Tools > Table Grid... on enemy stats, until its first paint is done: the
// window made, 256 records read, the columns sized, shown and painted.
void BM_GridOpenEnemyStats(benchmark::State& state)
{
    closeGrid();
    for (auto _ : state) {
        QWidget* grid = gridFixture().shell->showWindow(QStringLiteral("Grid"));
        grid->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        closeGrid();
        state.ResumeTiming();
    }
}

// GridSave with every HP of enemy stats changed: the list of changes, the
// checked write of 256 records and the history step (one Undo Save).
void BM_GridSave256Records(benchmark::State& state)
{
    closeGrid();
    auto* grid = static_cast<GridWindow*>(gridFixture().shell->showWindow(QStringLiteral("Grid")));
    QApplication::processEvents();
    const int hp = 1;  // the first field column
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (int row = 0; row < 256; ++row)
            grid->model().setCellText(row, hp, QString::number((row * 13 + round) % 60000 + 1));
        state.ResumeTiming();
        grid->GridSave_Click();
    }
    if (grid->model().hasEdits())
        state.SkipWithError("the save left edits unsaved");
    closeGrid();
}

// Tools > Compare With... of two 4 MiB images: reading both, comparing them
// and filling the list. The other image differs in every byte of every
// table and in every 64th byte outside them, the most the list can show.
void BM_CompareImages(benchmark::State& state)
{
    EnemyFixture& fixture = enemy();
    const QString image = fixture.shell->romPath();
    const QString other = fixture.folder.filePath(QStringLiteral("other.sfc"));
    QFile::remove(other);
    QFile::copy(image, other);
    Bytes bytes = *RomImage(other.toStdString()).readAll();
    std::vector<bool> inTable(bytes.size(), false);
    for (const Table* table : tables::all())
        for (std::uint32_t i = table->base; i < table->base + std::uint32_t(table->count) * table->recordSize; ++i)
            inTable[i] = true;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (inTable[i] || (i % 64 == 0 && (i < kIdentityPosition || i >= kIdentityPosition + 4)))
            bytes[i] = std::uint8_t(bytes[i] ^ 0x5A);
    if (!RomImage(other.toStdString(), IdentityCheck::Skipped).write(0, bytes))
        std::abort();
    auto* compare = qobject_cast<CompareWindow*>(fixture.shell->showWindow(QStringLiteral("Compare")));
    if (!compare || !compare->compareWith(other))
        std::abort();
    for (auto _ : state) {
        compare->refresh();
        QApplication::processEvents();
    }
    // left open: the benchmark runs this function several times, and a closed
    // window is deleted only later, by the event loop
}

// the fastest of the repetitions: the others carry what else the machine was doing
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_EnemyWindowSwitch)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_PlainWindowSwitch)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_EnemyWindowSwitchRepaint)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_PlainWindowSwitchRepaint)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_EnemyWindowReadNamesClick)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_GatoWindowReadNamesClick)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_GridOpenEnemyStats)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_GridSave256Records)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);
BENCHMARK(BM_CompareImages)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

// Prints the usual table, then the enemy window's cost against the plain one's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
            m_cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        // the fastest runs where runs were repeated
        const std::string median = m_times.count("BM_PlainWindowSwitch_min") ? "_min" : "";
        for (const char* what : {"Switch", "SwitchRepaint"}) {
            const std::string enemyName = std::string("BM_EnemyWindow") + what + median;
            const std::string plainName = std::string("BM_PlainWindow") + what + median;
            if (!m_times.count(enemyName) || !m_times.count(plainName) || m_times[plainName] <= 0 || m_cpuTimes[plainName] <= 0)
                continue;
            std::printf("enemy window / plain window, %s: %.2fx in time, %.2fx in CPU time (target: at most 1.30x)\n",
                        what == std::string("Switch") ? "selection handler" : "selection and repaint",
                        m_times[enemyName] / m_times[plainName], m_cpuTimes[enemyName] / m_cpuTimes[plainName]);
        }
        for (const std::string name : {"BM_CompareImages_min", "BM_CompareImages"})
            if (m_times.count(name)) {
                std::printf("compare of two 4 MiB images and filling the list: %.1f ms (target: at most 100 ms)\n",
                            m_times[name]);
                break;
            }
        for (const char* window : {"Enemy", "Gato"}) {
            std::string name = std::string("BM_") + window + "WindowReadNamesClick";
            if (m_times.count(name + "_min"))
                name += "_min";
            if (m_times.count(name))
                std::printf("%s window, one click of \"Read Names from ROM?\": %.2f ms (target: at most 3 ms)\n", window,
                            m_times[name] / 1000.0);
        }
        const std::pair<const char*, const char*> grid[] = {
            {"BM_GridOpenEnemyStats", "table grid of enemy stats, opened and painted: %.1f ms (target: at most 100 ms)\n"},
            {"BM_GridSave256Records", "table grid, Save of 256 changed records: %.1f ms (target: at most 50 ms)\n"},
        };
        for (const auto& [bench, line] : grid) {
            std::string name = bench;
            if (m_times.count(name + "_min"))
                name += "_min";
            if (m_times.count(name))
                std::printf(line, m_times[name]);
        }
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_cpuTimes;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // the user's settings stay untouched
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication::setOrganizationName(QStringLiteral("veldra-forge-bench"));
    // repeated and interleaved unless asked otherwise: the two windows are
    // compared, so both should meet the same load of the machine
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (char* arg : args)
        repetitionsGiven = repetitionsGiven || std::string(arg).rfind("--benchmark_repetitions", 0) == 0;
    std::string repetitions = "--benchmark_repetitions=10";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven)
        args.insert(args.begin() + 1, {repetitions.data(), interleave.data(), aggregates.data()});
    argc = int(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    g_plain.reset();
    g_enemy.reset();
    g_grid.reset();
    return 0;
}
