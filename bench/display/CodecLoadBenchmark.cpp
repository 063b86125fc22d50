// Load of a generated 512 x 512 x 300 chest series compressed in JPEG
// lossless (first-order prediction, DCMTK's encoder) and in JPEG 2000
// lossless (GDCM's encoder) into the engine volume, registered as the
// workstation registers a series (files decoded on every core straight into
// the volume), against decoding the same files with GDCM alone
// (gdcm::ImageReader and GetBuffer, file after file), warm cache.

#include "SeriesFiles.h"
#include "display/SeriesRegistration.h"

#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <benchmark/benchmark.h>

#include <map>

namespace {

namespace fs = std::filesystem;

const fs::path& root()
{
    static const fs::path folder = fs::temp_directory_path() / "vantor-codec-bench";
    return folder;
}

struct Syntax {
    const char* name;
    const char* encoder;
};
const Syntax kSyntaxes[] = {{"jpeg-lossless", "dcmcjpeg"}, {"jpeg2000-lossless", "gdcmconv --j2k"}};

fs::path seriesFolder(const fs::path& tree)
{
    return fs::path(benchfiles::filesOf(tree).front()).parent_path();
}

void prepare()
{
    benchfiles::writeSeries(root() / "plain");
    for (const Syntax& syntax : kSyntaxes)
        benchfiles::compressTree(root() / "plain", root() / syntax.name, syntax.encoder);
}

void loadToVolume(benchmark::State& state, const char* name)
{
    const std::string folder = seriesFolder(root() / name).string() + "/";
    ZQDICOM dicom;
    VazAZUrorav engine;
    for (auto _ : state) {
        vantor::SeriesState series;
        vantor::FirstFileFields first;
        vantor::registerSeries(folder, dicom, engine, series, first, {});
        benchmark::DoNotOptimize(engine.PtrData());
    }
    if (engine.Zdims() != 300)
        state.SkipWithError("the series did not load whole");
}

void gdcmAlone(benchmark::State& state, const char* name)
{
    std::vector<std::string> files = benchfiles::filesOf(seriesFolder(root() / name));
    for (auto _ : state)
        benchmark::DoNotOptimize(benchfiles::gdcmDecode(files));
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e3;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    prepare();
    for (const Syntax& syntax : kSyntaxes) {
        benchmark::RegisterBenchmark((std::string("ours/") + syntax.name).c_str(), loadToVolume, syntax.name)
            ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
        benchmark::RegisterBenchmark((std::string("gdcm/") + syntax.name).c_str(), gdcmAlone, syntax.name)
            ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const Syntax& syntax : kSyntaxes) {
        const double ours = reporter.seconds[std::string("ours/") + syntax.name + "/iterations:3/real_time"];
        const double peer = reporter.seconds[std::string("gdcm/") + syntax.name + "/iterations:3/real_time"];
        if (ours > 0 && peer > 0)
            std::printf("%s 512x512x300 to the engine volume: ours %.3f s, peer (GDCM decoding alone) %.3f s, "
                        "ratio %.2f\n",
                        syntax.name, ours, peer, ours / peer);
    }
    benchmark::Shutdown();
    return 0;
}
