// The report of a 100-patient folder (template read, one form sheet per
// patient, summary, package written in memory) against the floor any writer
// of the same package pays: deflating its parts with zlib at the same level.
#include "catalogue/Catalogue.h"
#include "reading/ReadingRecordOperations.h"
#include "report/OutputReport.h"
#include "report/ZipReader.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>

using namespace vantor;

namespace {

constexpr int PatientCount = 100;

struct Folder {
    Catalogue catalogue;
    Readings readings;
    Workbook templateBook;
};

const Folder& folder()
{
    static const Folder made = [] {
        Folder f;
        for (int i = 0; i < PatientCount; ++i) {
            PatientEntry patient;
            patient.PatientName = "PATIENT^" + std::to_string(i);
            f.catalogue.Patients.push_back(patient);
            ReadingRecord record;
            ClearReading(record);
            record.PatientName = patient.PatientName;
            record.Findings = 1;
            record.RoundPresent = 1;
            record.RoundGrade = {1, 2, 3, 0, 1, 2, 0};
            record.Symbol = {};
            record.Symbol[1 + i % 22] = 1;
            record.Comment = "Reading comment of patient " + std::to_string(i);
            f.readings.push_back(record);
        }
        std::string error;
        if (!f.templateBook.loadFile(std::string(VANTOR_SOURCE_DIR) + "/data/ReportSample.xlsx", error))
            std::fprintf(stderr, "template: %s\n", error.c_str());
        return f;
    }();
    return made;
}

void BM_ReportOf100Patients(benchmark::State& state)
{
    const Folder& f = folder();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string error;
        auto report = BuildReport(f.templateBook, f.readings, f.catalogue, error);
        const std::string package = report->toBytes();
        bytes = package.size();
        benchmark::DoNotOptimize(package.data());
    }
    state.counters["package bytes"] = double(bytes);
}

// The uncompressed parts of the report, deflated as the writer does.
void BM_DeflateFloor(benchmark::State& state)
{
    const Folder& f = folder();
    std::string error;
    ZipReader zip;
    zip.open(BuildReport(f.templateBook, f.readings, f.catalogue, error)->toBytes());
    std::vector<std::string> parts;
    for (const std::string& name : zip.names())
        parts.push_back(*zip.read(name));
    for (auto _ : state) {
        for (const std::string& part : parts) {
            z_stream stream{};
            deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
            std::string out(deflateBound(&stream, uLong(part.size())), '\0');
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.data()));
            stream.avail_in = uInt(part.size());
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, Z_FINISH);
            deflateEnd(&stream);
            benchmark::DoNotOptimize(out.data());
        }
    }
}

BENCHMARK(BM_ReportOf100Patients)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeflateFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

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

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.milliseconds["BM_ReportOf100Patients"];
    const double floor = reporter.milliseconds["BM_DeflateFloor"];
    if (ours > 0 && floor > 0)
        std::printf("report of %d patients: ours %.1f ms, deflate floor %.1f ms, ratio %.2f\n", PatientCount, ours,
                    floor, ours / floor);
    benchmark::Shutdown();
    return 0;
}
