// Speed of the reading road through the main window, on a generated
// 512 x 512 x 300 chest series:
//   - choosing the series until its first slice is painted, against the floor
//     of reading the same files' bytes with a plain read loop (warm cache);
//   - a Page Down until the next slice is painted at a 1024 x 1024 image area.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

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

// The generated data folder, made once per run under the system temporary folder.
const std::string& dataFolder()
{
    static const std::string folder = [] {
        const fs::path root = fs::temp_directory_path() / "vantor-display-bench";
        const fs::path data = root / "data";
        if (!fs::exists(data / "PAT001")) {
            fs::remove_all(root);
            VantorSyntheticCT::SeriesOptions series;
            series.slices = 300;
            auto options = VantorSyntheticCT::DataSetOptions::singleSeries(series, 11);
            const auto written = VantorSyntheticCT::DataSetWriter::write(options, data.string(), (root / "truth").string());
            if (!written.ok)
                std::fprintf(stderr, "bench: %s\n", written.error.c_str());
        }
        return data.string();
    }();
    return folder;
}

struct Workstation {
    vantor::WorkstationState state;
    std::unique_ptr<frmMain> window;

    Workstation()
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
        auto scanned = vantor::CatalogueScanner::scan(dataFolder(), dicom);
        window->openCatalogue(dataFolder(), std::move(scanned.catalogue), std::nullopt);
    }
    RazazUrirAdeder* caseViewer() const { return qobject_cast<RazazUrirAdeder*>(window->control("RIZOduVed1(0)")); }
};

Workstation& workstation()
{
    static Workstation instance;
    return instance;
}

void seriesToFirstSlice(benchmark::State& state)
{
    Workstation& station = workstation();
    for (auto _ : state) {
        station.window->seriesDisplay().selectSeries(0);
        station.caseViewer()->repaint();
    }
}

void readFloor(benchmark::State& state)
{
    const auto& catalogue = workstation().window->catalogue();
    const auto& files = catalogue.Patients[0].Studies[0].Serieses[0].Files;
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& path : files) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr)
                continue;
            std::size_t got = 0;
            while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
                total += got;
            std::fclose(file);
        }
        benchmark::DoNotOptimize(total);
    }
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
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double load = reporter.seconds["seriesToFirstSlice/iterations:5/real_time"];
    const double floor = reporter.seconds["readFloor/iterations:5/real_time"];
    const double page = reporter.seconds["pageDownAt1024/min_time:1.000/real_time"];
    if (floor > 0)
        std::printf("series to first slice (512x512x300): ours %.3f s, peer (plain read of the files) %.3f s, ratio %.2f\n",
                    load, floor, load / floor);
    std::printf("page down to repainted slice at 1024x1024: ours %.2f ms, goal 5 ms, ratio %.2f\n", page * 1e3,
                page * 1e3 / 5.0);
    workstation().window.reset();
    benchmark::Shutdown();
    return 0;
}
