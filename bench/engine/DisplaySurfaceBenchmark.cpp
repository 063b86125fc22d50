// Display images, 2-D filters and the iso-surface:
//   window bitmap, box mean          -> memcpy bandwidth over the same image
//   3 x 3 median                     -> VTK's vtkImageMedian3D (3 x 3 x 1),
//                                       two threads each
//   iso-surface of a 256 x 256 x 128 ball -> VTK's vtkMarchingCubes with
//                                       normals (one thread each)
// Summary lines: "name: ours X, peer Y, ratio Z", ratio = peer time / ours
// (above 1: we are faster); bandwidth lines give ours / memcpy.
#include "ZVIPEngine/VazAZUrorav.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#ifdef VANTOR_HAVE_VTK
#include <vtkImageData.h>
#include <vtkImageMedian3D.h>
#include <vtkMarchingCubes.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#endif

namespace {

constexpr int Side = 512;
constexpr std::size_t ImageBytes = std::size_t{Side} * Side * 2;
constexpr int VolumeX = 256, VolumeY = 256, VolumeZ = 128;
constexpr std::int16_t Threshold = 500;

struct Fixture {
    std::vector<std::int16_t> image;
    std::vector<std::int16_t> volume;
    VazAZUrorav engine;
    std::intptr_t ourTriangles = 0;
    std::intptr_t peerTriangles = 0;
};

Fixture& fixture()
{
    static Fixture f;
    if (!f.image.empty())
        return f;
    // A CT-like slice: smooth body with noise.
    f.image.resize(std::size_t{Side} * Side);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 30.0);
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            const double r = std::hypot(x - 256.0, (y - 256.0) * 1.3);
            f.image[std::size_t(y) * Side + x] = static_cast<std::int16_t>((r < 200 ? 1040 : 24) + noise(random));
        }
    // A flattened ball with a smooth rim plus noise, so the surface is not trivial.
    f.volume.resize(std::size_t{VolumeX} * VolumeY * VolumeZ);
    for (int z = 0; z < VolumeZ; ++z)
        for (int y = 0; y < VolumeY; ++y)
            for (int x = 0; x < VolumeX; ++x) {
                const double r = std::sqrt((x - 127.5) * (x - 127.5) + (y - 127.5) * (y - 127.5) +
                                           (z - 63.5) * (z - 63.5) * 4.0);
                const double v = 500.0 + 100.0 * (100.0 - r) + noise(random);
                f.volume[(std::size_t(z) * VolumeY + y) * VolumeX + x] =
                    static_cast<std::int16_t>(std::fmin(std::fmax(v, 0.0), 3000.0));
            }
    f.engine.SetDataProfile(VolumeX, VolumeY, VolumeZ, 1.0, 1.0, 1.0, 1.0, 0);
    for (int z = 0; z < VolumeZ; ++z)
        f.engine.SetDicomImage(f.volume.data() + std::size_t{VolumeX} * VolumeY * z, z + 1, 1.0, 0.0, z);
    return f;
}

void BM_Memcpy(benchmark::State& state)
{
    Fixture& f = fixture();
    std::vector<std::int16_t> destination(f.image.size());
    for (auto _ : state) {
        std::memcpy(destination.data(), f.image.data(), ImageBytes);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * ImageBytes);
}

void BM_WindowBitmap(benchmark::State& state)
{
    Fixture& f = fixture();
    VazAZUrorav engine;
    std::uint8_t* dib = nullptr;
    for (auto _ : state) {
        engine.CreateDIBImage(&dib, 0, f.image.data(), Side, Side, 1064, 1500);
        benchmark::DoNotOptimize(dib);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * ImageBytes);
}

void BM_BoxMean5(benchmark::State& state)
{
    Fixture& f = fixture();
    VazAZUrorav engine;
    std::vector<std::int16_t> work(f.image.size());
    for (auto _ : state) {
        std::memcpy(work.data(), f.image.data(), ImageBytes);
        engine.GetImageSmoothing(work.data(), Side, Side, 5);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * ImageBytes);
}

void BM_Median3(benchmark::State& state)
{
    Fixture& f = fixture();
    VazAZUrorav engine;
    std::vector<std::int16_t> work(f.image.size());
    for (auto _ : state) {
        std::memcpy(work.data(), f.image.data(), ImageBytes);
        engine.GetImageMedian(work.data(), Side, Side, 3);
        benchmark::DoNotOptimize(work.data());
    }
}

void BM_IsoSurface(benchmark::State& state)
{
    Fixture& f = fixture();
    const IsoSurfacePolygon* polygon = nullptr;
    for (auto _ : state) {
        f.engine.CreatePolygonIsoSurface(Threshold, 1.0f, &polygon);
        benchmark::DoNotOptimize(polygon);
    }
    f.ourTriangles = polygon != nullptr ? polygon->NumberOfTriangles : 0;
}

#ifdef VANTOR_HAVE_VTK
void BM_VtkMedian3(benchmark::State& state)
{
    Fixture& f = fixture();
    vtkNew<vtkImageData> input;
    input->SetDimensions(Side, Side, 1);
    input->AllocateScalars(VTK_SHORT, 1);
    std::memcpy(input->GetScalarPointer(), f.image.data(), ImageBytes);
    vtkNew<vtkImageMedian3D> filter;
    filter->SetInputData(input);
    filter->SetKernelSize(3, 3, 1);
    filter->SetNumberOfThreads(2);
    for (auto _ : state) {
        input->Modified();
        filter->Update();
        benchmark::DoNotOptimize(filter->GetOutput()->GetScalarPointer());
    }
}

void BM_VtkIsoSurface(benchmark::State& state)
{
    Fixture& f = fixture();
    vtkNew<vtkImageData> input;
    input->SetDimensions(VolumeX, VolumeY, VolumeZ);
    input->AllocateScalars(VTK_SHORT, 1);
    std::memcpy(input->GetScalarPointer(), f.volume.data(), f.volume.size() * 2);
    vtkNew<vtkMarchingCubes> filter;
    filter->SetInputData(input);
    // Our level sits between the samples mapped to 127 and 128.
    filter->SetValue(0, Threshold + 2.0);
    filter->ComputeNormalsOn();
    filter->ComputeGradientsOff();
    filter->ComputeScalarsOff();
    for (auto _ : state) {
        input->Modified();
        filter->Update();
        benchmark::DoNotOptimize(filter->GetOutput()->GetNumberOfCells());
    }
    f.peerTriangles = filter->GetOutput()->GetNumberOfCells();
}
#endif

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    struct Figures {
        double seconds = 0;
        double bytesPerSecond = 0;
    };
    std::map<std::string, Figures> figures;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // The fastest repetition: other work on the machine only adds time.
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            Figures f;
            f.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const auto bytes = run.counters.find("bytes_per_second");
            if (bytes != run.counters.end())
                f.bytesPerSecond = bytes->second;
            const std::string name = run.run_name.function_name;
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

void printTimes(const SummaryReporter& r, const char* name, const std::string& ours, const std::string& peer,
                const char* peerName)
{
    const auto o = r.figures.find(ours);
    const auto p = r.figures.find(peer);
    if (o == r.figures.end())
        return;
    if (p == r.figures.end()) {
        std::printf("%s: ours %.2f ms, peer %s absent (VTK not found), ratio -\n", name, o->second.seconds * 1e3,
                    peerName);
        return;
    }
    std::printf("%s: ours %.2f ms, peer %s %.2f ms, ratio %.2f\n", name, o->second.seconds * 1e3, peerName,
                p->second.seconds * 1e3, p->second.seconds / o->second.seconds);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_WindowBitmap)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_BoxMean5)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_Median3)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_IsoSurface)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->UseRealTime();
#ifdef VANTOR_HAVE_VTK
BENCHMARK(BM_VtkMedian3)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_VtkIsoSurface)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->UseRealTime();
#endif

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    fixture();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    Fixture& f = fixture();
    std::printf("\n");
    printBandwidth(reporter, "window bitmap 512x512", "BM_WindowBitmap");
    printBandwidth(reporter, "box mean 5x5 512x512", "BM_BoxMean5");
    printTimes(reporter, "median 3x3 512x512 (2 threads)", "BM_Median3", "BM_VtkMedian3", "vtkImageMedian3D");
    printTimes(reporter, "iso-surface 256x256x128 with normals", "BM_IsoSurface", "BM_VtkIsoSurface",
               "vtkMarchingCubes");
    std::printf("iso-surface triangles: ours %lld, vtkMarchingCubes %lld\n", static_cast<long long>(f.ourTriangles),
                static_cast<long long>(f.peerTriangles));
#ifndef VANTOR_HAVE_VTK
    std::printf("VTK not found at configure time: vtkImageMedian3D and vtkMarchingCubes comparisons skipped\n");
#endif
    benchmark::Shutdown();
    return 0;
}
