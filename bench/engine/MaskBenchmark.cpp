// Mask benchmarks on a 512 x 512 x 300 volume (a body of soft tissue in
// air), each set against a baseline measured in the same run:
//   masking step (one ageing pass)  -> memcpy of the volume
//   region growing from a seed      -> vtkImageThresholdConnectivity
//   dilation, 3 x 3 x 3 ellipsoid   -> vtkImageContinuousDilate3D
// (the VTK filters on their default threads, both cores here). Summary
// lines: "name: ours X, peer Y, ratio Z", ratio = our speed over the
// peer's (above 1 = faster).
#include "ZVIPEngine/VazAZUrorav.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#ifdef VANTOR_HAVE_VTK
#include <vtkImageContinuousDilate3D.h>
#include <vtkImageData.h>
#include <vtkImageThresholdConnectivity.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#endif

namespace {

constexpr int X = 512, Y = 512, Z = 300;
constexpr std::size_t Samples = static_cast<std::size_t>(X) * Y * Z;
constexpr float Spacing = 0.7f;
// Seed in the body; the body lies within the 200 waves of the growth.
constexpr int SeedX = 256, SeedY = 256, SeedZ = 150;

std::map<std::string, double> best; // fastest wall time per name, seconds

struct Stopwatch {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    void record(const std::string& name) const
    {
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const auto it = best.find(name);
        if (it == best.end() || s < it->second)
            best[name] = s;
    }
};

bool insideBody(int x, int y)
{
    const double dx = (x - 256) / 180.0, dy = (y - 256) / 150.0;
    return dx * dx + dy * dy < 1.0;
}

struct Fixture {
    VazAZUrorav engine;
    std::vector<std::int16_t> stored; // the engine's samples before any mask

    Fixture()
    {
        std::vector<std::int16_t> slice(static_cast<std::size_t>(X) * Y);
        std::uint32_t state = 12345;
        engine.SetDataProfile(X, Y, Z, Spacing, Spacing, -Spacing, 1.0, -1024);
        for (int z = 0; z < Z; ++z) {
            for (int y = 0; y < Y; ++y)
                for (int x = 0; x < X; ++x) {
                    state = state * 1664525u + 1013904223u;
                    // Pixel values as stored in the files (CT + 1024).
                    const int base = insideBody(x, y) ? 1064 : 24;
                    slice[static_cast<std::size_t>(y) * X + x] =
                        static_cast<std::int16_t>(base + static_cast<int>(state >> 24) - 128);
                }
            engine.SetDicomImage(slice.data(), z + 1, 1.0, -1024.0, -z * Spacing);
        }
        stored.assign(engine.PtrData(), engine.PtrData() + Samples);
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
    std::vector<std::int16_t> destination(Samples, 1);
    for (auto _ : state) {
        Stopwatch watch;
        std::memcpy(destination.data(), f.stored.data(), Samples * 2);
        benchmark::DoNotOptimize(destination.data());
        watch.record("memcpy");
    }
}

void BM_MaskingStep(benchmark::State& state)
{
    Fixture& f = fixture();
    f.engine.ClearBitMask();
    for (auto _ : state) {
        Stopwatch watch;
        f.engine.SetBitMaskThreshold(0, 0, 500);
        watch.record("masking step");
        state.PauseTiming();
        f.engine.UndoBitMask();
        state.ResumeTiming();
    }
}

void BM_RegionGrowingMark(benchmark::State& state)
{
    Fixture& f = fixture();
    f.engine.ClearBitMask();
    for (auto _ : state) {
        Stopwatch watch;
        f.engine.SetMarkFlagRegionGrowingPoint(600, 600, 700, 1400, SeedX, SeedY, SeedZ, 1);
        watch.record("region growing (mark)");
    }
    // The region's size, to be set beside VTK's.
    std::int64_t marked = 0;
    for (std::size_t i = 0; i < Samples; ++i)
        marked += ((static_cast<std::uint16_t>(f.engine.PtrData()[i]) >> 12) & 3) == 1 ? 1 : 0;
    state.counters["voxels"] = static_cast<double>(marked);
    f.engine.SetMarkFlagClear(0);
}

void BM_RegionGrowingMask(benchmark::State& state)
{
    Fixture& f = fixture();
    f.engine.ClearBitMask();
    for (auto _ : state) {
        Stopwatch watch;
        f.engine.SetBitMaskRegionGrowingPoint(600, 600, 700, 1400, SeedX, SeedY, SeedZ);
        watch.record("region growing with cavity fill (mask)");
        state.PauseTiming();
        f.engine.ClearBitMask();
        state.ResumeTiming();
    }
}

void BM_Dilation(benchmark::State& state)
{
    Fixture& f = fixture();
    f.engine.ClearBitMask();
    f.engine.SetBitMaskThreshold(0, 0, 500); // the air masked: the body visible
    for (auto _ : state) {
        Stopwatch watch;
        f.engine.MathBitMaskMorphology(1, 0, 3, 3, 3);
        watch.record("dilation 3x3x3");
        state.PauseTiming();
        f.engine.UndoBitMask();
        state.ResumeTiming();
    }
    f.engine.ClearBitMask();
}

#ifdef VANTOR_HAVE_VTK
void BM_VtkThresholdConnectivity(benchmark::State& state)
{
    const Fixture& f = fixture();
    vtkNew<vtkImageData> image;
    image->SetDimensions(X, Y, Z);
    image->AllocateScalars(VTK_SHORT, 1);
    std::memcpy(image->GetScalarPointer(), f.stored.data(), Samples * 2);
    vtkNew<vtkPoints> seeds;
    seeds->InsertNextPoint(SeedX, SeedY, SeedZ);
    vtkNew<vtkImageThresholdConnectivity> filter;
    filter->SetInputData(image);
    filter->SetSeedPoints(seeds);
    filter->ThresholdBetween(700, 1400);
    filter->ReplaceInOn();
    filter->SetInValue(1);
    filter->ReplaceOutOn();
    filter->SetOutValue(0);
    for (auto _ : state) {
        filter->Modified();
        Stopwatch watch;
        filter->Update();
        watch.record("vtkImageThresholdConnectivity");
        benchmark::DoNotOptimize(filter->GetOutput()->GetScalarPointer());
    }
    const auto* out = static_cast<const std::int16_t*>(filter->GetOutput()->GetScalarPointer());
    std::int64_t marked = 0;
    for (std::size_t i = 0; i < Samples; ++i)
        marked += out[i] != 0 ? 1 : 0;
    state.counters["voxels"] = static_cast<double>(marked);
}

void BM_VtkDilate(benchmark::State& state)
{
    const Fixture& f = fixture();
    vtkNew<vtkImageData> image;
    image->SetDimensions(X, Y, Z);
    image->AllocateScalars(VTK_UNSIGNED_CHAR, 1);
    auto* p = static_cast<std::uint8_t*>(image->GetScalarPointer());
    for (std::size_t i = 0; i < Samples; ++i)
        p[i] = f.stored[i] > 500 ? 1 : 0;
    vtkNew<vtkImageContinuousDilate3D> filter;
    filter->SetInputData(image);
    filter->SetKernelSize(3, 3, 3);
    for (auto _ : state) {
        filter->Modified();
        Stopwatch watch;
        filter->Update();
        watch.record("vtkImageContinuousDilate3D");
        benchmark::DoNotOptimize(filter->GetOutput()->GetScalarPointer());
    }
}
#endif

void summary(const char* name, const std::string& ours, const std::string& peer)
{
    const auto o = best.find(ours);
    const auto p = best.find(peer);
    if (o == best.end())
        return;
    if (p == best.end()) {
        std::printf("%s: ours %.1f ms, peer %s absent, ratio -\n", name, o->second * 1e3, peer.c_str());
        return;
    }
    std::printf("%s: ours %.1f ms, peer %s %.1f ms, ratio %.2f\n", name, o->second * 1e3, peer.c_str(),
                p->second * 1e3, p->second / o->second);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_MaskingStep)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_RegionGrowingMark)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RegionGrowingMask)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Dilation)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#ifdef VANTOR_HAVE_VTK
BENCHMARK(BM_VtkThresholdConnectivity)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_VtkDilate)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
#endif

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n");
    summary("masking step (threshold, 512x512x300)", "masking step", "memcpy");
    summary("region growing, mark flag (512x512x300)", "region growing (mark)", "vtkImageThresholdConnectivity");
    summary("region growing with cavity fill, mask (512x512x300)", "region growing with cavity fill (mask)",
            "vtkImageThresholdConnectivity");
    summary("dilation 3x3x3 ellipsoid (512x512x300)", "dilation 3x3x3", "vtkImageContinuousDilate3D");
#ifndef VANTOR_HAVE_VTK
    std::printf("VTK not found at configure time: the VTK comparisons are skipped\n");
#endif
    return 0;
}
