// Speed of the image viewer: rebuilding the display bitmap of a 512 x 512
// slice (at its own size and resampled to 1024 x 1024) against memcpy of the
// same output measured in the same run, and a full repaint through grab().
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "ZVImgViewer/DisplayBitmap.h"
#include "ZVImgViewer/DisplayBitmapBuilder.h"
#include "ZVImgViewer/ImageSamples.h"
#include "ZVImgViewer/RazazUrirAdeder.h"

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int sliceSize = 512;

// A CT-like slice in stored units (HU + 1024): air, a body disc, noise.
std::vector<std::int16_t> makeSlice(unsigned seed)
{
    std::vector<std::int16_t> slice(sliceSize * sliceSize);
    std::mt19937 generator(seed);
    std::normal_distribution<float> noise(0.0f, 20.0f);
    for (int y = 0; y < sliceSize; ++y)
        for (int x = 0; x < sliceSize; ++x) {
            const float dx = static_cast<float>(x - 256);
            const float dy = static_cast<float>(y - 256);
            const float base = dx * dx + dy * dy < 200.0f * 200.0f ? 1064.0f : 24.0f;
            slice[static_cast<std::size_t>(y) * sliceSize + x] = static_cast<std::int16_t>(std::max(0.0f, base + noise(generator)));
        }
    return slice;
}

const std::vector<std::int16_t>& slice(int index)
{
    static const std::vector<std::int16_t> slices[2] = {makeSlice(1), makeSlice(2)};
    return slices[index & 1];
}

void rebuild(benchmark::State& state, int target, int threads)
{
    ImageSamples samples;
    const std::int32_t dims[2] = {sliceSize, sliceSize};
    samples.setImageData(slice(0).data(), 2, dims, 0, false);
    DisplayBitmapBuilder builder;
    builder.setWindowLevel(1064 - 600);
    builder.setWindowWidth(1500);
    builder.setResamplingMode(target != sliceSize ? 1 : 0);
    builder.setThreadCount(threads);
    int index = 0;
    for (auto _ : state) {
        samples.setAddress(slice(++index).data());
        builder.markStale();
        builder.rebuild(samples, target, target);
        benchmark::DoNotOptimize(builder.bitmap()->pixels());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(target) * target * 4);
}

void memcpyOfOutput(benchmark::State& state, int target)
{
    // The same 32-bit output, copied from a source of the same size.
    const std::size_t bytes = std::size_t(target) * target * 4;
    std::vector<std::uint8_t> from(bytes, 1);
    std::vector<std::uint8_t> to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(bytes));
}

void BM_RebuildAtImageSize(benchmark::State& state) { rebuild(state, 512, 0); }
void BM_RebuildAtImageSizeOneThread(benchmark::State& state) { rebuild(state, 512, 1); }
void BM_MemcpyOfOutput512(benchmark::State& state) { memcpyOfOutput(state, 512); }
void BM_RebuildResampled1024(benchmark::State& state) { rebuild(state, 1024, 0); }
void BM_RebuildResampled1024OneThread(benchmark::State& state) { rebuild(state, 1024, 1); }
void BM_MemcpyOfOutput1024(benchmark::State& state) { memcpyOfOutput(state, 1024); }

// A viewer of 1024 x 1024 logical pixels with a slice, a cross-hair and a few overlays.
struct ShownViewer {
    explicit ShownViewer(int resampling)
    {
        viewer.resize(1024, 1024);
        viewer.setWindowLevel(1064 - 600);
        viewer.setWindowWidth(1500);
        viewer.setDspResamplingMode(resampling);
        const std::int32_t dims[2] = {sliceSize, sliceSize};
        viewer.SetImageData(slice(0).data(), 2, dims, 0);
        viewer.SetCrossPoint(256, 200);
        viewer.setCrossVisible(true);
        viewer.setPenColor(0x00FFFF);
        viewer.Ellipse(100, 100, 180, 160);
        viewer.Rectangle(300, 300, 400, 380);
        viewer.TextOut(10, 10, "Lung -600/1500");
    }
    RazazUrirAdeder viewer;
};

void BM_RepaintThroughGrab(benchmark::State& state)
{
    ShownViewer shown(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QPixmap picture = shown.viewer.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
}

void BM_SliceChange(benchmark::State& state)
{
    // New slice address, rebuild, and the full repaint.
    ShownViewer shown(static_cast<int>(state.range(0)));
    int index = 0;
    for (auto _ : state) {
        shown.viewer.sethImage(slice(++index).data());
        shown.viewer.RedrawImage();
        QPixmap picture = shown.viewer.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
    if (const DisplayBitmap* bitmap = shown.viewer.displayBitmap()) {
        state.counters["bitmap_width"] = bitmap->width();
        state.counters["bitmap_height"] = bitmap->height();
    }
}

void BM_MemcpyOfWindow1024(benchmark::State& state) { memcpyOfOutput(state, 1024); }

BENCHMARK(BM_RebuildAtImageSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildAtImageSizeOneThread)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyOfOutput512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildResampled1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildResampled1024OneThread)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyOfOutput1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintThroughGrab)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SliceChange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyOfWindow1024)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per iteration for the summary lines.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
            {
                microseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
                cpuMicroseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> microseconds;
    std::map<std::string, double> cpuMicroseconds; // of the calling thread: a shared machine's load does not count
};

void summary(const SummaryReporter& reporter, const char* name, const std::string& ours, const std::string& peer)
{
    const auto a = reporter.microseconds.find(ours);
    const auto b = reporter.microseconds.find(peer);
    if (a == reporter.microseconds.end() || b == reporter.microseconds.end() || b->second <= 0)
        return;
    const double oursCpu = reporter.cpuMicroseconds.at(ours);
    const double peerCpu = reporter.cpuMicroseconds.at(peer);
    std::printf("%s: ours %.1f us, peer %.1f us, ratio %.2f (calling thread's CPU: ours %.1f us, peer %.1f us, ratio %.2f)\n",
                name, a->second, b->second, a->second / b->second, oursCpu, peerCpu, peerCpu > 0 ? oursCpu / peerCpu : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    summary(reporter, "rebuild 512x512 at 512x512 vs memcpy of output", "BM_RebuildAtImageSize", "BM_MemcpyOfOutput512");
    summary(reporter, "rebuild 512x512 at 512x512, one thread vs memcpy of output", "BM_RebuildAtImageSizeOneThread",
            "BM_MemcpyOfOutput512");
    summary(reporter, "rebuild 512x512 resampled to 1024x1024 vs memcpy of output", "BM_RebuildResampled1024",
            "BM_MemcpyOfOutput1024");
    summary(reporter, "rebuild 512x512 resampled to 1024x1024, one thread vs memcpy of output",
            "BM_RebuildResampled1024OneThread", "BM_MemcpyOfOutput1024");
    summary(reporter, "repaint 1024x1024 through grab, bitmap stretched vs memcpy of window", "BM_RepaintThroughGrab/0",
            "BM_MemcpyOfWindow1024");
    summary(reporter, "repaint 1024x1024 through grab, resampled bitmap vs memcpy of window", "BM_RepaintThroughGrab/1",
            "BM_MemcpyOfWindow1024");
    summary(reporter, "slice change at 1024x1024 (rebuild + paint), stretched vs memcpy of window", "BM_SliceChange/0",
            "BM_MemcpyOfWindow1024");
    summary(reporter, "slice change at 1024x1024 (rebuild + paint), resampled vs memcpy of window", "BM_SliceChange/1",
            "BM_MemcpyOfWindow1024");
    for (const char* name : {"BM_SliceChange/0", "BM_SliceChange/1"}) {
        const auto found = reporter.microseconds.find(name);
        if (found != reporter.microseconds.end())
            std::printf("%s against the 4 ms goal: ours %.1f us, goal 4000.0 us, ratio %.2f\n", name, found->second,
                        found->second / 4000.0);
    }
    benchmark::Shutdown();
    return 0;
}
