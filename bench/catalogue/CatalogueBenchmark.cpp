// Walk of a generated tree of 3,000 slices (10 patients x 1 study x 3 series x 100
// slices) by the catalogue scanner, against GDCM's scanner reading the same five tags
// of the same files, and against reading every file's bytes (the physical floor).
// The patients have Japanese names in ISO 2022 IR 87, as Japanese scanners write
// them, so the walk decodes every name it reads (GDCM's scanner returns the bytes).
#include "catalogue/CatalogueScanner.h"

#include <VantorSyntheticCT/DataSetOptions.h>
#include <VantorSyntheticCT/DataSetWriter.h>
#include <ZVDICOM/ZQDICOM.h>

#include <benchmark/benchmark.h>

#ifdef VANTOR_HAVE_GDCM
#include <gdcmDirectory.h>
#include <gdcmScanner.h>
#include <gdcmTag.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Patients = 10;
constexpr int SeriesPerStudy = 3;
constexpr int SlicesPerSeries = 100;
constexpr int Matrix = 128;
constexpr std::size_t FileCount = std::size_t(Patients) * SeriesPerStudy * SlicesPerSeries;

const std::string DataFolder = std::string(VANTOR_BENCH_DATA_DIR) + "/tree";

// Every slice file of the tree (for the byte-reading floor).
std::vector<std::string> g_files;

bool makeTree()
{
    const std::string marker = std::string(VANTOR_BENCH_DATA_DIR) + "/complete-iso2022-" + std::to_string(Matrix);
    if (!std::filesystem::exists(marker)) {
        std::filesystem::remove_all(VANTOR_BENCH_DATA_DIR);
        std::filesystem::create_directories(DataFolder);
        VantorSyntheticCT::DataSetOptions options;
        options.threads = 2;
        for (int p = 0; p < Patients; ++p) {
            VantorSyntheticCT::PatientOptions& patient = options.patients.emplace_back();
            patient.name = "Yamada^Tarou" + std::to_string(p) +
                           "=\x1B$B;3ED\x1B(B^\x1B$BB@O:\x1B(B=\x1B$B$d$^$@\x1B(B^\x1B$B$?$m$&\x1B(B";
            patient.specificCharacterSet = "\\ISO 2022 IR 87";
            VantorSyntheticCT::StudyOptions& study = patient.studies.emplace_back();
            for (int s = 0; s < SeriesPerStudy; ++s) {
                VantorSyntheticCT::SeriesOptions series;
                series.columns = Matrix;
                series.rows = Matrix;
                series.slices = SlicesPerSeries;
                series.seriesNumber = s + 1;
                study.series.push_back(series);
            }
        }
        const VantorSyntheticCT::WriteResult written =
            VantorSyntheticCT::DataSetWriter::write(options, DataFolder, {});
        if (!written.ok) {
            std::fprintf(stderr, "cannot generate the tree: %s\n", written.error.c_str());
            return false;
        }
        std::ofstream(marker) << "done\n";
    }
    g_files.clear();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(DataFolder))
        if (entry.is_regular_file())
            g_files.push_back(entry.path().string());
    if (g_files.size() != FileCount) {
        std::fprintf(stderr, "the tree holds %zu files, %zu expected\n", g_files.size(), FileCount);
        return false;
    }
    return true;
}

void BM_CatalogueWalk(benchmark::State& state)
{
    ZQDICOM dicom;
    std::size_t files = 0;
    for (auto _ : state) {
        const auto result = vantor::CatalogueScanner::scan(DataFolder, dicom);
        if (result.outcome != vantor::CatalogueScanner::Outcome::Complete) {
            state.SkipWithError("the walk failed");
            return;
        }
        files = result.filesExamined;
        benchmark::DoNotOptimize(result.catalogue.Patients.data());
    }
    state.counters["files/s"] =
        benchmark::Counter(double(files) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// The same walk through full loads (pixel data read too): what the header-only load saves.
void BM_FullLoadOfEveryFile(benchmark::State& state)
{
    ZQDICOM dicom;
    for (auto _ : state)
        for (const std::string& file : g_files) {
            dicom.setfilename(file);
            std::string value(128, '\0');
            benchmark::DoNotOptimize(dicom.GetTagString(0x0002, 0x0002, value, 128));
        }
    state.counters["files/s"] =
        benchmark::Counter(double(g_files.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Opening and reading every byte of every file: no parser can walk the tree faster
// when it reads whole files; a header reader may beat it by reading less.
void BM_ReadEveryFileWhole(benchmark::State& state)
{
    std::vector<char> buffer(1 << 20);
    for (auto _ : state)
        for (const std::string& file : g_files) {
            const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
            if (descriptor < 0)
                continue;
            while (::read(descriptor, buffer.data(), buffer.size()) > 0) {
            }
            ::close(descriptor);
        }
    state.counters["files/s"] =
        benchmark::Counter(double(g_files.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
}

#ifdef VANTOR_HAVE_GDCM
void BM_GdcmScanner(benchmark::State& state)
{
    std::size_t files = 0;
    for (auto _ : state) {
        gdcm::Directory directory;
        directory.Load(DataFolder, true);
        gdcm::Scanner scanner;
        scanner.AddTag(gdcm::Tag(0x0002, 0x0002));
        scanner.AddTag(gdcm::Tag(0x0008, 0x0005));
        scanner.AddTag(gdcm::Tag(0x0008, 0x0020));
        scanner.AddTag(gdcm::Tag(0x0010, 0x0010));
        scanner.AddTag(gdcm::Tag(0x0010, 0x0020));
        if (!scanner.Scan(directory.GetFilenames())) {
            state.SkipWithError("gdcm::Scanner failed");
            return;
        }
        files = directory.GetFilenames().size();
        benchmark::DoNotOptimize(&scanner);
    }
    state.counters["files/s"] =
        benchmark::Counter(double(files) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GdcmScanner)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
#endif

BENCHMARK(BM_CatalogueWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FullLoadOfEveryFile)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ReadEveryFileWhole)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Keeps each run's time per iteration for the summary lines.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> milliseconds;
};

void summary(const SummaryReporter& reporter, const char* name, const std::string& ours,
             const std::string& peer)
{
    const auto a = reporter.milliseconds.find(ours);
    const auto b = reporter.milliseconds.find(peer);
    if (a == reporter.milliseconds.end() || b == reporter.milliseconds.end() || a->second <= 0 ||
        b->second <= 0) {
        std::printf("%s: not measured\n", name);
        return;
    }
    const double oursRate = double(FileCount) / (a->second / 1000.0);
    const double peerRate = double(FileCount) / (b->second / 1000.0);
    std::printf("%s: ours %.0f files/s, peer %.0f files/s, ratio %.2f\n", name, oursRate, peerRate,
                oursRate / peerRate);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!makeTree())
        return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
#ifdef VANTOR_HAVE_GDCM
    summary(reporter, "catalogue walk of 3000 files with ISO 2022 names vs gdcm::Scanner (5 tags)", "BM_CatalogueWalk",
            "BM_GdcmScanner");
#else
    std::printf("catalogue walk vs gdcm::Scanner: skipped, GDCM was not found at configure time\n");
#endif
    summary(reporter, "catalogue walk of 3000 files vs reading every file whole", "BM_CatalogueWalk",
            "BM_ReadEveryFileWhole");
    summary(reporter, "catalogue walk (header only) vs full load of every file", "BM_CatalogueWalk",
            "BM_FullLoadOfEveryFile");
    benchmark::Shutdown();
    return 0;
}
