// Engine benchmarks on a 512 x 512 x 300 volume. Every figure is set against
// a baseline measured in the same run:
//   ingest, coronal MinIP  -> memcpy bandwidth (bytes handled per second)
//   oblique MPR and MIP    -> vtkImageReslice, trilinear, same geometry and
//                             the same number of threads (when VTK is found)
// Summary lines: "name: ours X, peer Y, ratio Z" where ratio is our speed
// over the peer's (above 1 = faster than the peer).
#include "ZVIPEngine/VazAZUrorav.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifdef VANTOR_HAVE_VTK
#include <vtkImageData.h>
#include <vtkImageReslice.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkShortArray.h>
#include <vtkPointData.h>
#endif

namespace {

constexpr int X = 512, Y = 512, Z = 300;
constexpr std::size_t SliceSamples = static_cast<std::size_t>(X) * Y;
constexpr std::size_t VolumeBytes = SliceSamples * Z * 2;
constexpr int MipDepth = 300;
constexpr float Spacing = 0.7f;

struct Fixture {
    std::vector<std::int16_t> slices; // the series as handed over (raw CT values)
    VazAZUrorav engine;
    std::array<float, 16> matrix{};

    Fixture() : slices(SliceSamples * Z)
    {
        // A CT-like body: air outside an ellipse, soft tissue with noise.
        std::uint32_t state = 12345;
        for (int z = 0; z < Z; ++z)
            for (int y = 0; y < Y; ++y)
                for (int x = 0; x < X; ++x) {
                    state = state * 1664525u + 1013904223u;
                    const double dx = (x - 256) / 220.0, dy = (y - 256) / 180.0;
                    const int base = dx * dx + dy * dy < 1.0 ? 40 : -1000;
                    slices[(static_cast<std::size_t>(z) * Y + y) * X + x] =
                        static_cast<std::int16_t>(base + static_cast<int>(state >> 24) - 128);
                }
        load(engine);
        // An oblique view through the centre: 30 degrees about (1, 1, 0.5).
        engine.GetMatrixAxialRotate(matrix.data(), (X - 1) / 2.0f, (Y - 1) / 2.0f, (Z - 1) / 2.0f, 1.0f, 1.0f, 0.5f,
                                    30.0f);
    }

    void load(VazAZUrorav& target) const
    {
        target.SetDataProfile(X, Y, Z, Spacing, Spacing, -Spacing, 1.0, -1024);
        for (int z = 0; z < Z; ++z)
            target.SetDicomImage(slices.data() + SliceSamples * z, z + 1, 1.0, -1024.0, -z * Spacing);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_Memcpy(benchmark::State& state)
{
    const Fixture& f = fixture();
    std::vector<std::int16_t> destination(SliceSamples * Z, 1);
    for (auto _ : state) {
        std::memcpy(destination.data(), f.slices.data(), VolumeBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * VolumeBytes);
}

// Arg 0: the engine loads series after series of the same size and takes
// the previous volume's memory back. Arg 1: a new engine, fresh pages.
void BM_Ingest(benchmark::State& state)
{
    const Fixture& f = fixture();
    const bool fresh = state.range(0) != 0;
    auto engine = std::make_unique<VazAZUrorav>();
    if (!fresh)
        f.load(*engine);
    for (auto _ : state) {
        state.PauseTiming();
        if (fresh)
            engine = std::make_unique<VazAZUrorav>();
        engine->SetDataProfile(X, Y, Z, Spacing, Spacing, -Spacing, 1.0, -1024);
        state.ResumeTiming();
        for (int z = 0; z < Z; ++z)
            engine->SetDicomImage(f.slices.data() + SliceSamples * z, z + 1, 1.0, -1024.0, -z * Spacing);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * VolumeBytes);
}

void BM_CoronalMinIP40(benchmark::State& state)
{
    Fixture& f = fixture();
    std::int16_t* image = nullptr;
    for (auto _ : state) {
        f.engine.CreateImageOrthoMinIP(&image, 2, X, Y, 1, Y / 2, 40);
        benchmark::DoNotOptimize(image);
    }
    // The samples the projection has to read: 40 rows of every slice.
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 40 * X * Z * 2);
}

void BM_ObliqueMPR(benchmark::State& state)
{
    Fixture& f = fixture();
    std::int16_t* image = nullptr;
    for (auto _ : state) {
        f.engine.CreateImageMPRMatrix(&image, 3, X, Y, Spacing, 0, f.matrix.data());
        benchmark::DoNotOptimize(image);
    }
}

void BM_ObliqueMIP300(benchmark::State& state)
{
    Fixture& f = fixture();
    const bool bricks = state.range(0) != 0;
    if (bricks)
        f.engine.SpecialMethod(9);
    std::int16_t* image = nullptr;
    for (auto _ : state) {
        f.engine.CreateImageMIPMatrix(&image, 4, X, Y, Spacing, 0, MipDepth, f.matrix.data());
        benchmark::DoNotOptimize(image);
    }
    if (bricks)
        f.engine.SpecialMethod(10);
}

#ifdef VANTOR_HAVE_VTK
// The same sampling positions as the engine: output (i, j) at depth k falls
// on origin + i * column + j * row + k * depth, in voxels (input spacing 1).
vtkNew<vtkImageReslice>& reslice(int threads, bool slab)
{
    static vtkNew<vtkImageData> input;
    static bool prepared = false;
    if (!prepared) {
        const Fixture& f = fixture();
        input->SetDimensions(X, Y, Z);
        input->SetSpacing(1, 1, 1);
        input->SetOrigin(0, 0, 0);
        input->AllocateScalars(VTK_SHORT, 1);
        auto* samples = static_cast<std::int16_t*>(input->GetScalarPointer());
        const std::int16_t* stored = f.engine.PtrData();
        std::memcpy(samples, stored, VolumeBytes);
        prepared = true;
    }
    static vtkNew<vtkImageReslice> filter;
    const Fixture& f = fixture();
    const float* m = f.matrix.data();
    const double p = Spacing;
    double column[3], row[3], depth[3], origin[3];
    for (int a = 0; a < 3; ++a) {
        column[a] = p * m[a];
        row[a] = p * m[4 + a];
        depth[a] = p * m[8 + a];
        origin[a] = -X / 2.0 * column[a] - Y / 2.0 * row[a] + m[12 + a];
        // The engine's slab runs from -depth/2; VTK centres its slab on 0.
        if (slab)
            origin[a] -= 0.5 * depth[a];
    }
    vtkNew<vtkMatrix4x4> axes;
    for (int a = 0; a < 3; ++a) {
        axes->SetElement(a, 0, column[a]);
        axes->SetElement(a, 1, row[a]);
        axes->SetElement(a, 2, depth[a]);
        axes->SetElement(a, 3, origin[a]);
    }
    filter->SetInputData(input);
    filter->SetResliceAxes(axes);
    filter->SetOutputSpacing(1, 1, 1);
    filter->SetOutputOrigin(0, 0, 0);
    filter->SetOutputExtent(0, X - 1, 0, Y - 1, 0, 0);
    filter->SetOutputDimensionality(2);
    filter->SetInterpolationModeToLinear();
    filter->SetBackgroundLevel(0);
    filter->SetNumberOfThreads(threads);
    filter->SetEnableSMP(false);
    if (slab) {
        filter->SetSlabModeToMax();
        filter->SetSlabNumberOfSlices(MipDepth);
    } else {
        filter->SetSlabNumberOfSlices(1);
    }
    return filter;
}

void BM_VtkObliqueMPR(benchmark::State& state)
{
    auto& filter = reslice(1, false);
    for (auto _ : state) {
        filter->Modified();
        filter->Update();
        benchmark::DoNotOptimize(filter->GetOutput()->GetScalarPointer());
    }
}

void BM_VtkObliqueMIP300(benchmark::State& state)
{
    auto& filter = reslice(2, true);
    for (auto _ : state) {
        filter->Modified();
        filter->Update();
        benchmark::DoNotOptimize(filter->GetOutput()->GetScalarPointer());
    }
}
#endif

// Keeps the real time per iteration and the byte rate of every run.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    struct Figures {
        double seconds = 0;
        double cpuSeconds = 0; // all threads of the process
        double bytesPerSecond = 0;
    };
    std::map<std::string, Figures> figures;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // The fastest repetition: other work on the machine only ever
            // adds time.
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            Figures f;
            f.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            f.cpuSeconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const auto bytes = run.counters.find("bytes_per_second");
            if (bytes != run.counters.end())
                f.bytesPerSecond = bytes->second;
            // Keyed by function and arguments, without the run settings.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            const auto known = figures.find(name);
            if (known == figures.end() || f.seconds < known->second.seconds)
                figures[name] = f;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void printBandwidth(const SummaryReporter& r, const char* name, const std::string& ours)
{
    const auto o = r.figures.find(ours);
    const auto m = r.figures.find("BM_Memcpy");
    if (o == r.figures.end() || m == r.figures.end())
        return;
    std::printf("%s: ours %.2f GB/s, peer memcpy %.2f GB/s, ratio %.2f\n", name, o->second.bytesPerSecond / 1e9,
                m->second.bytesPerSecond / 1e9, o->second.bytesPerSecond / m->second.bytesPerSecond);
}

void printTimes(const SummaryReporter& r, const char* name, const std::string& ours, const std::string& peer)
{
    const auto o = r.figures.find(ours);
    const auto p = r.figures.find(peer);
    if (o == r.figures.end())
        return;
    if (p == r.figures.end()) {
        std::printf("%s: ours %.1f ms, peer vtkImageReslice absent (VTK not found), ratio -\n", name,
                    o->second.seconds * 1e3);
        return;
    }
    std::printf("%s: ours %.1f ms, peer vtkImageReslice %.1f ms, ratio %.2f\n", name, o->second.seconds * 1e3,
                p->second.seconds * 1e3, p->second.seconds / o->second.seconds);
    // Processor time of all threads: the work itself, whatever else the
    // machine runs at the same time.
    std::printf("%s, processor time: ours %.1f ms, peer vtkImageReslice %.1f ms, ratio %.2f\n", name,
                o->second.cpuSeconds * 1e3, p->second.cpuSeconds * 1e3, p->second.cpuSeconds / o->second.cpuSeconds);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_Ingest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_CoronalMinIP40)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_ObliqueMPR)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_ObliqueMIP300)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->MeasureProcessCPUTime()->UseRealTime();
#ifdef VANTOR_HAVE_VTK
BENCHMARK(BM_VtkObliqueMPR)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_VtkObliqueMIP300)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->MeasureProcessCPUTime()->UseRealTime();
#endif

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    fixture();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    printBandwidth(reporter, "slice ingest 512x512x300", "BM_Ingest/0");
    printBandwidth(reporter, "slice ingest 512x512x300, fresh engine (first touch of new pages)", "BM_Ingest/1");
    printBandwidth(reporter, "coronal MinIP 40 rows", "BM_CoronalMinIP40");
    printTimes(reporter, "oblique MPR 512x512 (1 thread)", "BM_ObliqueMPR", "BM_VtkObliqueMPR");
    printTimes(reporter, "oblique MIP 300 deep (2 threads)", "BM_ObliqueMIP300/0", "BM_VtkObliqueMIP300");
    printTimes(reporter, "oblique MIP 300 deep, brick copy (2 threads)", "BM_ObliqueMIP300/1", "BM_VtkObliqueMIP300");
#ifndef VANTOR_HAVE_VTK
    std::printf("VTK not found at configure time: vtkImageReslice comparisons skipped\n");
#endif
    benchmark::Shutdown();
    return 0;
}
