// Import of an archive export: 3,000 randomly named slices in one folder
// (10 patients x 3 series x 100 slices of 256 x 256), into an empty data
// folder, against a plain copy of the same files by cp -r in the same run.
// Both write the same bytes; the import also reads every header and sorts.

#include <VantorImporter/Importer.h>
#include <VantorSyntheticCT/DataSetOptions.h>
#include <VantorSyntheticCT/DataSetWriter.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int Patients = 10;
constexpr int SeriesPerStudy = 3;
constexpr int SlicesPerSeries = 100;
constexpr int Matrix = 256;
constexpr std::size_t FileCount = std::size_t(Patients) * SeriesPerStudy * SlicesPerSeries;

const fs::path Work = VANTOR_BENCH_DATA_DIR;
const fs::path Flat = Work / "flat";
const fs::path Target = Work / "target";

bool makeFlatFolder()
{
    const fs::path marker = Work / ("complete-" + std::to_string(Matrix));
    if (fs::exists(marker))
        return true;
    fs::remove_all(Work);
    VantorSyntheticCT::DataSetOptions options;
    options.threads = 2;
    for (int p = 0; p < Patients; ++p) {
        VantorSyntheticCT::PatientOptions& patient = options.patients.emplace_back();
        patient.name = "BENCH^PATIENT" + std::to_string(p);
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
    const auto written = VantorSyntheticCT::DataSetWriter::write(options, (Work / "tree").string(), {});
    if (!written.ok) {
        std::fprintf(stderr, "cannot generate the files: %s\n", written.error.c_str());
        return false;
    }
    fs::create_directories(Flat);
    std::uint64_t random = 0x9E3779B97F4A7C15ULL;
    for (const auto& series : written.series)
        for (const auto& file : series.files) {
            random ^= random << 13, random ^= random >> 7, random ^= random << 17;
            char name[24];
            std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(random));
            fs::rename(file, Flat / name);
        }
    fs::remove_all(Work / "tree");
    std::ofstream(marker) << "done\n";
    return true;
}

// Each run starts without the previous copy and with its pages written back,
// so that neither side pays for the other's write-back.
void startClean()
{
    fs::remove_all(Target);
    ::sync();
}

void BM_Import(benchmark::State& state)
{
    vantor::importing::ImportRequest request;
    request.sources = {Flat.string()};
    request.dataFolder = Target.string();
    for (auto _ : state) {
        state.PauseTiming();
        startClean();
        state.ResumeTiming();
        const auto report = vantor::importing::runImport(request);
        if (report.outcome != vantor::importing::ImportReport::Outcome::Complete || report.imported != FileCount) {
            state.SkipWithError("the import failed");
            return;
        }
    }
    fs::remove_all(Target);
}

void BM_CopyWithCp(benchmark::State& state)
{
    const std::string command = "cp -r '" + Flat.string() + "' '" + Target.string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        startClean();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cp -r failed");
            return;
        }
    }
    fs::remove_all(Target);
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                milliseconds[run.benchmark_name()].push_back(run.GetAdjustedRealTime());
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::vector<double>> milliseconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!makeFlatFolder())
        return 1;
    // Rounds of one copy and one import each, alternating, so that a burst of
    // other work on the machine hits both sides alike; the best of each counts.
    for (int round = 1; round <= 4; ++round) {
        const std::string suffix = "/round:" + std::to_string(round);
        benchmark::RegisterBenchmark(("BM_CopyWithCp" + suffix).c_str(), BM_CopyWithCp)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
        benchmark::RegisterBenchmark(("BM_Import" + suffix).c_str(), BM_Import)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double copy = 0;
    double import = 0;
    for (const auto& [name, times] : reporter.milliseconds)
        for (double time : times) {
            double& slot = name.rfind("BM_CopyWithCp", 0) == 0 ? copy : import;
            slot = slot == 0 ? time : std::min(slot, time);
        }
    std::printf("\n");
    if (import <= 0 || copy <= 0) {
        std::printf("import of %zu flat files vs cp -r: not measured\n", FileCount);
        return 0;
    }
    std::printf("import of %zu flat files vs cp -r: ours %.0f ms, peer %.0f ms, ratio %.2f\n", FileCount, import,
                copy, import / copy);
    return 0;
}
