// Speed of the reading road through the main window, on a generated
// 512 x 512 x 300 chest series:
//   - choosing the series until its first slice is painted, against the floor
//     of reading the same files' bytes with a plain read loop, with a warm
//     cache and with a cold one (every file evicted from the page cache
//     before each run of ours and of the floor);
//   - the same for the series in JPEG lossless, against decoding its files
//     with GDCM alone (warm cache);
//   - a Page Down until the next slice is painted at a 1024 x 1024 image area.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "SeriesFiles.h"
#include "catalogue/CatalogueScanner.h"
#include "display/SeriesDisplay.h"
#include "mainwindow/frmMain.h"
#include "startup/MessageBoxes.h"

#include <QApplication>
#include <QSettings>
#include <VantorSyntheticCT/DataSetWriter.h>
#include <ZVImgViewer/RazazUrirAdeder.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

namespace {

namespace fs = std::filesystem;
using vantor::frmMain;

// The generated data folders, made once per machine under the system temporary folder.
const fs::path& benchRoot()
{
    static const fs::path root = fs::temp_directory_path() / "vantor-display-bench";
    return root;
}

const std::string& dataFolder()
{
    static const std::string folder = [] {
        benchfiles::writeSeries(benchRoot() / "data");
        return (benchRoot() / "data").string();
    }();
    return folder;
}

const std::string& jpegFolder()
{
    static const std::string folder = [] {
        benchfiles::compressTree(dataFolder(), benchRoot() / "jpeg-lossless", "dcmcjpeg");
        return (benchRoot() / "jpeg-lossless").string();
    }();
    return folder;
}

struct Workstation {
    vantor::WorkstationState state;
    std::unique_ptr<frmMain> window;
    std::vector<std::string> files;

    explicit Workstation(const std::string& data)
    {
        vantor::messagePresenter() = [](QWidget*, QMessageBox::Icon, const QString&, const QString&,
                                        QMessageBox::StandardButtons) { return QMessageBox::Yes; };
        const fs::path settings = fs::temp_directory_path() / "vantor-display-bench" / "VANTOR_Viewer.ini";
        std::ofstream(settings) << "[VANTOR_Viewer]\nDefaultWL=-600\nDefaultWW=1500\n";
        state.ReaderName = "bench";
        window = std::make_unique<frmMain>(state, vantor::ProfileFile(settings.string()), "");
        window->load();
        window->resize(2100, 1500);
        ZQDICOM dicom;
        auto scanned = vantor::CatalogueScanner::scan(data, dicom);
        window->openCatalogue(data, std::move(scanned.catalogue), std::nullopt);
        files = window->catalogue().Patients[0].Studies[0].Serieses[0].Files;
    }
    RazazUrirAdeder* caseViewer() const { return qobject_cast<RazazUrirAdeder*>(window->control("RIZOduVed1(0)")); }
};

std::unique_ptr<Workstation>& workstationSlot() { static std::unique_ptr<Workstation> slot; return slot; }
std::unique_ptr<Workstation>& jpegWorkstationSlot() { static std::unique_ptr<Workstation> slot; return slot; }

Workstation& workstation()
{
    if (!workstationSlot())
        workstationSlot() = std::make_unique<Workstation>(dataFolder());
    return *workstationSlot();
}

Workstation& jpegWorkstation()
{
    if (!jpegWorkstationSlot())
        jpegWorkstationSlot() = std::make_unique<Workstation>(jpegFolder());
    return *jpegWorkstationSlot();
}

void selectAndPaint(benchmark::State& state, Workstation& station, bool cold)
{
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            benchfiles::evict(station.files);
            state.ResumeTiming();
        }
        station.window->seriesDisplay().selectSeries(0);
        station.caseViewer()->repaint();
    }
}

void seriesToFirstSlice(benchmark::State& state) { selectAndPaint(state, workstation(), false); }
void seriesToFirstSliceCold(benchmark::State& state) { selectAndPaint(state, workstation(), true); }
void jpegSeriesToFirstSlice(benchmark::State& state) { selectAndPaint(state, jpegWorkstation(), false); }

void readFloor(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(benchfiles::plainRead(workstation().files));
}

void readFloorCold(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        benchfiles::evict(workstation().files);
        state.ResumeTiming();
        benchmark::DoNotOptimize(benchfiles::plainRead(workstation().files));
    }
}

void gdcmDecodeFloor(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(benchfiles::gdcmDecode(jpegWorkstation().files));
}

void pageDownAt1024(benchmark::State& state)
{
    Workstation& station = workstation();
    station.window->seriesDisplay().selectSeries(0);
    RazazUrirAdeder* viewer = station.caseViewer();
    viewer->resize(1024, 1024);
    auto& display = station.window->seriesDisplay();
    int step = 1;
    for (auto _ : state) {
        if (display.series().SliceIndex >= display.series().SeriesFileCount - 1)
            step = -1;
        if (display.series().SliceIndex <= 0)
            step = 1;
        display.pageBy(step);
        viewer->repaint();
    }
}

// Seconds per iteration of a finished run, from the reporter.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e3; // reported in ms
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

BENCHMARK(seriesToFirstSlice)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(readFloor)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(seriesToFirstSliceCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(readFloorCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(jpegSeriesToFirstSlice)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(gdcmDecodeFloor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(pageDownAt1024)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((fs::temp_directory_path() / "vantor-display-bench" / "user").string()));
    benchmark::Initialize(&argc, argv);
    dataFolder();
    jpegFolder();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double load = reporter.seconds["seriesToFirstSlice/iterations:5/real_time"];
    const double floor = reporter.seconds["readFloor/iterations:5/real_time"];
    const double page = reporter.seconds["pageDownAt1024/min_time:1.000/real_time"];
    const double coldLoad = reporter.seconds["seriesToFirstSliceCold/iterations:3/real_time"];
    const double coldFloor = reporter.seconds["readFloorCold/iterations:3/real_time"];
    const double jpegLoad = reporter.seconds["jpegSeriesToFirstSlice/iterations:3/real_time"];
    const double jpegFloor = reporter.seconds["gdcmDecodeFloor/iterations:3/real_time"];
    if (floor > 0)
        std::printf("series to first slice (512x512x300, warm cache): ours %.3f s, peer (plain read of the files) "
                    "%.3f s, ratio %.2f\n",
                    load, floor, load / floor);
    if (coldFloor > 0)
        std::printf("series to first slice (512x512x300, cold cache): ours %.3f s, peer (plain cold sequential "
                    "read of the files) %.3f s, ratio %.2f\n",
                    coldLoad, coldFloor, coldLoad / coldFloor);
    if (jpegFloor > 0)
        std::printf("JPEG-lossless series to first slice (512x512x300, warm cache): ours %.3f s, peer (GDCM "
                    "decoding alone) %.3f s, ratio %.2f\n",
                    jpegLoad, jpegFloor, jpegLoad / jpegFloor);
    std::printf("page down to repainted slice at 1024x1024: ours %.2f ms, goal 5 ms, ratio %.2f\n", page * 1e3,
                page * 1e3 / 5.0);
    workstationSlot().reset();
    jpegWorkstationSlot().reset();
    benchmark::Shutdown();
    return 0;
}
