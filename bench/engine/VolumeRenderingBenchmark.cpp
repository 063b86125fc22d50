// Volume rendering speed: a 384 x 384 grey rendering of a 256 x 256 x 200
// volume (a ball of soft tissue with a denser shell) through a turned
// 200-step slab, against a plain ray caster measured in the same run: the
// same compositing with every sample and its six gradient neighbours
// interpolated where they are needed, in double precision, one thread.
// A second line sets the same rendering against VTK's CPU ray caster
// vtkFixedPointVolumeRayCastMapper (its own threads, both cores here) in an
// off-screen window; it needs a display (run under xvfb-run), else it is
// skipped with a message. Summary lines: "name: ours X, peer Y, ratio Z",
// ratio = our speed over the peer's (above 1 = faster).
#include "ZVIPEngine/VazAZUrorav.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#ifdef VANTOR_HAVE_VTK
#include <vtkCamera.h>
#include <vtkColorTransferFunction.h>
#include <vtkFixedPointVolumeRayCastMapper.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPiecewiseFunction.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkVolume.h>
#include <vtkVolumeProperty.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

constexpr int X = 256, Y = 256, Z = 200;
constexpr int W = 384, H = 384, Depth = 200;

std::vector<std::int16_t> makeVolume()
{
    std::vector<std::int16_t> v(static_cast<std::size_t>(X) * Y * Z);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-20, 20);
    for (int z = 0; z < Z; ++z)
        for (int y = 0; y < Y; ++y)
            for (int x = 0; x < X; ++x) {
                const double r = std::sqrt((x - 128.0) * (x - 128.0) + (y - 128.0) * (y - 128.0) +
                                           (z - 100.0) * (z - 100.0));
                int value = r < 90 ? 1060 : r < 96 ? 1400 : 24;
                v[(static_cast<std::size_t>(z) * Y + y) * X + x] = static_cast<std::int16_t>(value + noise(random));
            }
    return v;
}

std::array<float, 16> turnedView()
{
    const double a = 30.0 * M_PI / 180.0;
    const double ex[3] = {std::cos(a), 0.0, -std::sin(a)};
    const double ey[3] = {0.0, 1.0, 0.0};
    const double ez[3] = {std::sin(a), 0.0, std::cos(a)};
    std::array<float, 16> m{};
    for (int c = 0; c < 3; ++c) {
        m[c] = static_cast<float>(ex[c] * 0.7);
        m[4 + c] = static_cast<float>(ey[c] * 0.7);
        m[8 + c] = static_cast<float>(ez[c]);
        m[12 + c] = 0.0f;
    }
    const double centre[3] = {128, 128, 100};
    for (int c = 0; c < 3; ++c)
        m[12 + c] = static_cast<float>(centre[c] - 100.0 * ez[c]);
    m[15] = 1;
    return m;
}

// The plain caster.
struct PlainCaster {
    const std::vector<std::int16_t>& v;
    double sample(double x, double y, double z) const
    {
        if (!(x >= 0 && x < X - 1 && y >= 0 && y < Y - 1 && z >= 0 && z < Z - 1))
            return 0;
        const int a = static_cast<int>(x), b = static_cast<int>(y), c = static_cast<int>(z);
        const double fx = x - a, fy = y - b, fz = z - c;
        const auto at = [&](int i, int j, int k) {
            return static_cast<double>(v[(static_cast<std::size_t>(c + k) * Y + (b + j)) * X + (a + i)]);
        };
        const double c00 = at(0, 0, 0) + fx * (at(1, 0, 0) - at(0, 0, 0));
        const double c10 = at(0, 1, 0) + fx * (at(1, 1, 0) - at(0, 1, 0));
        const double c01 = at(0, 0, 1) + fx * (at(1, 0, 1) - at(0, 0, 1));
        const double c11 = at(0, 1, 1) + fx * (at(1, 1, 1) - at(0, 1, 1));
        const double c0 = c00 + fy * (c10 - c00);
        const double c1 = c01 + fy * (c11 - c01);
        return std::floor(c0 + fz * (c1 - c0) + 0.5);
    }
    void render(const float* m, const std::vector<double>& opacity, double attenuation, std::int16_t* image) const
    {
        const int s0 = 100 - Depth / 2;
        const auto position = [&](double i, double j, double k, double q[3]) {
            const double x = (i - W / 2.0) * 0.7, y = (j - H / 2.0) * 0.7, z = k * 0.7;
            for (int c = 0; c < 3; ++c)
                q[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
        };
        for (int j = 0; j < H; ++j)
            for (int i = 0; i < W; ++i) {
                double T = 1.0 / std::pow(attenuation, Depth / 2 + 1);
                double C = 0;
                for (int k = s0; k < s0 + Depth && T >= 0.01; ++k) {
                    double q[3];
                    position(i, j, k, q);
                    const double s = sample(q[0], q[1], q[2]);
                    if (s <= 0) {
                        T *= attenuation;
                        continue;
                    }
                    const double a = T * opacity[static_cast<std::size_t>(s)];
                    double g[3];
                    for (int axis = 0; axis < 3; ++axis) {
                        double p[3], n[3];
                        position(i + (axis == 0), j + (axis == 1), k + (axis == 2), p);
                        position(i - (axis == 0), j - (axis == 1), k - (axis == 2), n);
                        g[axis] = sample(p[0], p[1], p[2]) - sample(n[0], n[1], n[2]);
                    }
                    const double length = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
                    const double shade = (C == 0 || length <= 10) ? 1.0 : std::abs(g[2]) / length;
                    C += a * shade * s;
                    T = (T - a) * attenuation;
                }
                image[static_cast<std::size_t>(j) * W + i] = static_cast<std::int16_t>(C);
            }
    }
};

double fastest(int runs, const std::function<void()>& work)
{
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

#ifdef VANTOR_HAVE_VTK
// The same volume, opacity table and a 384 x 384 view along the same
// turned direction; seconds per frame, or a negative value without display.
double vtkRendering(const std::vector<std::int16_t>& volume)
{
    if (std::getenv("DISPLAY") == nullptr)
        return -1.0;
    vtkNew<vtkImageData> image;
    image->SetDimensions(X, Y, Z);
    image->SetSpacing(0.7, 0.7, 0.7);
    image->AllocateScalars(VTK_SHORT, 1);
    std::memcpy(image->GetScalarPointer(), volume.data(), volume.size() * sizeof(std::int16_t));
    vtkNew<vtkPiecewiseFunction> opacity;
    opacity->AddPoint(0, 0.0);
    opacity->AddPoint(1100, 0.02);
    opacity->AddPoint(1400, 0.5);
    opacity->AddPoint(32767, 0.5);
    vtkNew<vtkColorTransferFunction> grey;
    grey->AddRGBPoint(0, 0, 0, 0);
    grey->AddRGBPoint(2000, 1, 1, 1);
    vtkNew<vtkVolumeProperty> property;
    property->SetScalarOpacity(opacity);
    property->SetColor(grey);
    property->SetInterpolationTypeToLinear();
    property->ShadeOn();
    vtkNew<vtkFixedPointVolumeRayCastMapper> mapper;
    mapper->SetInputData(image);
    // Our depth step: 0.7 voxel of 0.7 mm.
    mapper->SetSampleDistance(0.49);
    mapper->SetAutoAdjustSampleDistances(0);
    vtkNew<vtkVolume> actor;
    actor->SetMapper(mapper);
    actor->SetProperty(property);
    vtkNew<vtkRenderer> renderer;
    renderer->AddVolume(actor);
    vtkNew<vtkRenderWindow> window;
    window->SetOffScreenRendering(1);
    window->AddRenderer(renderer);
    window->SetSize(W, H);
    vtkCamera* camera = renderer->GetActiveCamera();
    camera->SetFocalPoint(128 * 0.7, 128 * 0.7, 100 * 0.7);
    const double a = 30.0 * M_PI / 180.0;
    camera->SetPosition((128 - 400 * std::sin(a)) * 0.7, 128 * 0.7, (100 - 400 * std::cos(a)) * 0.7);
    camera->SetViewUp(0, -1, 0);
    camera->ParallelProjectionOn();
    camera->SetParallelScale(H * 0.7 * 0.7 / 2.0);
    renderer->ResetCameraClippingRange();
    window->Render(); // builds the mapper's tables
    return fastest(3, [&] {
        actor->Modified();
        window->Render();
    });
}
#endif

} // namespace

int main()
{
    const std::vector<std::int16_t> volume = makeVolume();
    VazAZUrorav engine;
    if (!engine.SetDataProfile(X, Y, Z, 0.7, 0.7, 0.7, 1.0, 0)) {
        std::printf("volume rendering: the volume could not be declared\n");
        return 1;
    }
    for (int z = 0; z < Z; ++z)
        engine.SetDicomImage(volume.data() + static_cast<std::size_t>(X) * Y * z, z + 1, 1.0, 0.0, -0.7 * z);
    const auto view = turnedView();
    // Soft tissue faint, the shell dense (positions 0 means the base is 0
    // above it, as in the plain caster).
    const std::int16_t positions[3] = {0, 1100, 1400};
    const float values[3] = {0.0f, 0.02f, 0.5f};
    std::vector<double> opacity(32768);
    for (int s = 0; s < 32768; ++s)
        opacity[static_cast<std::size_t>(s)] = s >= 1400 ? 0.5 : s >= 1100 ? 0.02 + (s - 1100) * 0.48 / 300.0 : s * 0.02 / 1100.0;
    std::vector<std::int16_t> ours(static_cast<std::size_t>(W) * H);
    std::vector<std::int16_t> plain(ours.size());
    const double oursTime = fastest(3, [&] {
        engine.GetImageVolumeRenderNMatrix(ours.data(), W, H, 0.7f, 100, Depth, 3, positions, values, 0.99f, 0.0f,
                                           view.data());
    });
    const PlainCaster caster{volume};
    const double plainTime = fastest(1, [&] { caster.render(view.data(), opacity, 0.99, plain.data()); });
    // The plain caster shades from gradients of exactly interpolated
    // neighbours and ignores the ray's end, so a few edge pixels differ.
    std::size_t apart = 0;
    for (std::size_t p = 0; p < ours.size(); ++p)
        apart += std::abs(ours[p] - plain[p]) > 2 + std::abs(plain[p]) / 50;
    std::printf("volume rendering %dx%d, %d steps: ours %.1f ms, peer plain ray caster %.1f ms, ratio %.2f"
                " (%.2f%% of pixels differ by more than 2%%)\n",
                W, H, Depth, oursTime * 1e3, plainTime * 1e3, plainTime / oursTime, 100.0 * apart / ours.size());
#ifdef VANTOR_HAVE_VTK
    const double vtkTime = vtkRendering(volume);
    if (vtkTime < 0.0)
        std::printf("volume rendering vs VTK: ours %.1f ms, peer vtkFixedPointVolumeRayCastMapper absent (no display;"
                    " run under xvfb-run), ratio -\n",
                    oursTime * 1e3);
    else
        std::printf("volume rendering vs VTK %dx%d: ours %.1f ms, peer vtkFixedPointVolumeRayCastMapper %.1f ms,"
                    " ratio %.2f\n",
                    W, H, oursTime * 1e3, vtkTime * 1e3, vtkTime / oursTime);
#else
    std::printf("VTK not found at configure time: the vtkFixedPointVolumeRayCastMapper comparison is skipped\n");
#endif
    return 0;
}
