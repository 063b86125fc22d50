// Volume renderings checked against analytic surfaces and a plain
// double-precision ray caster written from the documented algorithm.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int N = 32;

// A box of 1000 (x, y 8..23, z 10..20) in an empty 32^3 volume.
reference::Volume boxVolume()
{
    reference::Volume v;
    v.X = v.Y = v.Z = N;
    v.v.assign(static_cast<std::size_t>(N) * N * N, 0);
    for (int z = 10; z <= 20; ++z)
        for (int y = 8; y <= 23; ++y)
            for (int x = 8; x <= 23; ++x)
                v.v[(static_cast<std::size_t>(z) * N + y) * N + x] = 1000;
    return v;
}

// A ball of radius 10 at (16, 16, 16) whose value falls off towards its rim.
reference::Volume ballVolume()
{
    reference::Volume v;
    v.X = v.Y = v.Z = N;
    v.v.assign(static_cast<std::size_t>(N) * N * N, 0);
    for (int z = 0; z < N; ++z)
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                const double r = std::sqrt((x - 16.0) * (x - 16.0) + (y - 16.0) * (y - 16.0) + (z - 16.0) * (z - 16.0));
                if (r <= 10.0)
                    v.v[(static_cast<std::size_t>(z) * N + y) * N + x] = static_cast<std::int16_t>(600 + 100 * (10.0 - r));
            }
    return v;
}

// View mm -> voxel: pixel (i, j) of a 32 x 32 image at slab depth k looks
// at voxel (i, j, k) with pixel size 1.
std::array<float, 16> straightView()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 16, 16, 0, 1};
}

// A view turned by 25 degrees about y and 10 about x, centred on the volume.
std::array<float, 16> turnedView()
{
    const double a = 25.0 * M_PI / 180.0;
    const double b = 10.0 * M_PI / 180.0;
    // Rows: image x axis, image y axis, depth axis (unit vectors in voxels).
    const double ex[3] = {std::cos(a), 0.0, -std::sin(a)};
    const double ey[3] = {std::sin(a) * std::sin(b), std::cos(b), std::cos(a) * std::sin(b)};
    const double ez[3] = {ex[1] * ey[2] - ex[2] * ey[1], ex[2] * ey[0] - ex[0] * ey[2], ex[0] * ey[1] - ex[1] * ey[0]};
    // Depth 0 lies 16 steps before the centre, so a slab 0..31 spans it.
    std::array<float, 16> m{};
    for (int c = 0; c < 3; ++c) {
        m[c] = static_cast<float>(ex[c]);
        m[4 + c] = static_cast<float>(ey[c]);
        m[8 + c] = static_cast<float>(ez[c]);
        m[12 + c] = static_cast<float>(15.5 - 16.0 * ez[c]);
    }
    m[15] = 1;
    return m;
}

// ---- the reference caster, straight from the description ----

struct Table {
    std::vector<int> positions;
    std::vector<double> values;
    double at(int s) const
    {
        const int n = static_cast<int>(positions.size());
        if (s < positions[0])
            return values[0];
        if (s >= positions[n - 1])
            return values[n - 1];
        for (int k = 0; k + 1 < n; ++k)
            if (s >= positions[k] && s < positions[k + 1])
                return values[k] + (values[k + 1] - values[k]) * (s - positions[k]) / (positions[k + 1] - positions[k]);
        return values[n - 1];
    }
};

double trilinear(const reference::Volume& v, const double q[3])
{
    const int a = static_cast<int>(q[0]), b = static_cast<int>(q[1]), c = static_cast<int>(q[2]);
    const double fx = q[0] - a, fy = q[1] - b, fz = q[2] - c;
    double sum = 0;
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                sum += v.at(a + dx, b + dy, c + dz) * (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy) * (dz ? fz : 1 - fz);
    return sum;
}

struct ReferenceResult {
    std::vector<int> image;
    std::vector<int> depth;
};

ReferenceResult referenceGrey(const reference::Volume& vol, const float* m, int W, int H, int s0, int D,
                              const Table& table, double v)
{
    // Working grid (W + 2) x (H + 2) x (D + 2), markers as described.
    const auto at = [&](int i, int j, int n) {
        return (static_cast<std::size_t>(j + 1) * (W + 2) + (i + 1)) * (D + 2) + n;
    };
    std::vector<int> grid(static_cast<std::size_t>(W + 2) * (H + 2) * (D + 2), 0);
    for (int j = -1; j <= H; ++j)
        for (int i = -1; i <= W; ++i) {
            bool entered = false;
            for (int n = 0; n < D + 2; ++n) {
                const double x = i - W / 2.0, y = j - H / 2.0, z = s0 - 1 + n;
                const double q[3] = {x * m[0] + y * m[4] + z * m[8] + m[12], x * m[1] + y * m[5] + z * m[9] + m[13],
                                     x * m[2] + y * m[6] + z * m[10] + m[14]};
                const bool inside = q[0] >= 0 && q[0] < vol.X - 1 && q[1] >= 0 && q[1] < vol.Y - 1 && q[2] >= 0 &&
                                    q[2] < vol.Z - 1;
                if (inside) {
                    entered = true;
                    grid[at(i, j, n)] = static_cast<int>(trilinear(vol, q) + 0.5);
                } else if (entered) {
                    grid[at(i, j, n)] = -1;
                    break;
                }
            }
            if (!entered)
                grid[at(i, j, 1)] = -1;
        }
    ReferenceResult r;
    r.image.assign(static_cast<std::size_t>(W) * H, 0);
    r.depth.assign(static_cast<std::size_t>(W) * H, 0);
    for (int j = 0; j < H; ++j)
        for (int i = 0; i < W; ++i) {
            double T = v > 0 ? 1.0 / std::pow(v, D / 2 + 1) : 1.0;
            double C = 0, best = 0;
            for (int k = 1; k <= D && T >= 0.01; ++k) {
                const int s = grid[at(i, j, k)];
                if (s == -1)
                    break;
                if (s <= 0) {
                    T *= v;
                    continue;
                }
                const double a = T * table.at(s);
                const double gx = grid[at(i + 1, j, k)] - grid[at(i - 1, j, k)];
                const double gy = grid[at(i, j + 1, k)] - grid[at(i, j - 1, k)];
                const double gz = grid[at(i, j, k + 1)] - grid[at(i, j, k - 1)];
                const double length = std::sqrt(gx * gx + gy * gy + gz * gz);
                double shade = length <= 10 ? 1.0 : std::abs(gz) / length;
                if (C == 0)
                    shade = 1.0;
                const double b = s >= table.positions[0] ? table.positions[0] : 0;
                C += a * (shade * (s - b) + b);
                T = (T - a) * v;
                if (a > best) {
                    best = a;
                    r.depth[static_cast<std::size_t>(j) * W + i] = k;
                }
            }
            r.image[static_cast<std::size_t>(j) * W + i] = static_cast<int>(C);
        }
    return r;
}

class VolumeRendering : public ::testing::Test {
protected:
    void load(const reference::Volume& v) { ASSERT_TRUE(loadIntoEngine(engine, v)); }

    bool renderN(std::int16_t* image, const std::array<float, 16>& m, int plane, int depth, const Table& t,
                 float attenuation)
    {
        positions.assign(t.positions.begin(), t.positions.end());
        values.assign(t.values.begin(), t.values.end());
        return engine.GetImageVolumeRenderNMatrix(image, N, N, 1.0f, plane, depth, static_cast<int>(positions.size()),
                                                  positions.data(), values.data(), attenuation, 0.0f, m.data());
    }

    VazAZUrorav engine;
    std::vector<std::int16_t> positions;
    std::vector<float> values;
    std::vector<std::int16_t> image = std::vector<std::int16_t>(N * N, -7);
    std::vector<std::uint8_t> record = std::vector<std::uint8_t>(2 * N * N + 128, 0xAB);
};

const Table opaque{{100}, {1.0}};

std::int32_t header(const std::vector<std::uint8_t>& r, int offset)
{
    std::int32_t value;
    std::memcpy(&value, r.data() + offset, 4);
    return value;
}

std::uint16_t storedDepth(const std::vector<std::uint8_t>& r, int i, int j)
{
    std::uint16_t d;
    std::memcpy(&d, r.data() + 128 + 2 * (j * N + i), 2);
    return d;
}

TEST_F(VolumeRendering, OpaqueBoxGivesItsValueAndItsFrontFaceAsDepth)
{
    load(boxVolume());
    ASSERT_TRUE(engine.SetZbuffer(record.data(), static_cast<std::int32_t>(record.size())));
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 1.0f));
    EXPECT_EQ(header(record, 0), N);
    EXPECT_EQ(header(record, 4), N);
    EXPECT_EQ(header(record, 8), 0);  // 16 - 32 / 2
    EXPECT_EQ(header(record, 12), 32);
    for (int j = 0; j < N; ++j)
        for (int i = 0; i < N; ++i) {
            const bool hit = i >= 8 && i <= 23 && j >= 8 && j <= 23;
            EXPECT_EQ(image[j * N + i], hit ? 1000 : 0) << i << "," << j;
            // Step k samples depth s0 + k - 1: the face at z = 10 is step 11.
            EXPECT_EQ(storedDepth(record, i, j), hit ? 11 : 0) << i << "," << j;
        }
    // The two-point table: opacity 1000 / 2000 = 0.5 per step; the ray
    // gathers 1000 x (1 - 0.5^7) before its transmission drops below 0.01.
    ASSERT_TRUE(engine.GetImageVolumeRenderMatrix(image.data(), N, N, 1.0f, 16, 32, 0, 2000, 1.0f, 0.0f,
                                                  straightView().data()));
    EXPECT_EQ(image[16 * N + 16], 992);
    EXPECT_EQ(image[2 * N + 2], 0);
}

TEST_F(VolumeRendering, BallDepthFollowsTheAnalyticSurface)
{
    load(ballVolume());
    ASSERT_TRUE(engine.SetZbuffer(record.data(), static_cast<std::int32_t>(record.size())));
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 0.5f));
    for (int j = 0; j < N; ++j)
        for (int i = 0; i < N; ++i) {
            // Samples fall on voxels: the first voxel of the ray inside the
            // ball is at z = ceil(16 - sqrt(100 - dx^2 - dy^2)).
            const double across = (i - 16.0) * (i - 16.0) + (j - 16.0) * (j - 16.0);
            int expected = 0;
            if (across <= 100.0)
                expected = static_cast<int>(std::ceil(16.0 - std::sqrt(100.0 - across) - 1e-9)) + 1;
            EXPECT_EQ(storedDepth(record, i, j), expected) << i << "," << j;
        }
}

TEST_F(VolumeRendering, ShadedPixelsMatchTheReferenceCaster)
{
    const reference::Volume ball = ballVolume();
    load(ball);
    const Table table{{500, 900, 900, 1400}, {0.0, 0.3, 0.1, 0.8}};
    for (const auto& view : {straightView(), turnedView()})
        for (const float attenuation : {1.0f, 0.97f, 0.0f}) {
            ASSERT_TRUE(engine.SetZbuffer(record.data(), static_cast<std::int32_t>(record.size())));
            ASSERT_TRUE(renderN(image.data(), view, 16, 30, table, attenuation));
            const ReferenceResult r = referenceGrey(ball, view.data(), N, N, 1, 30, table, attenuation);
            int depthDifferences = 0;
            int nonZero = 0;
            for (int p = 0; p < N * N; ++p) {
                // Float against double interpolation may move a sample by one.
                EXPECT_NEAR(image[p], r.image[p], 2 + 0.01 * r.image[p]) << p << " attenuation " << attenuation;
                depthDifferences += storedDepth(record, p % N, p / N) != r.depth[p];
                nonZero += r.image[p] > 0;
            }
            EXPECT_LE(depthDifferences, 4);
            // Attenuation 0 ends every ray at its first empty sample.
            if (attenuation > 0.0f) {
                EXPECT_GT(nonZero, 200);
            }
        }
}

TEST_F(VolumeRendering, SingleOpacityPointAndZeroAttenuation)
{
    load(boxVolume());
    // N = 1: a constant opacity; attenuation 0 stops the ray after its first
    // sample, so with the slab starting at the box face (s0 = 26 - 16 = 10)
    // the pixel is 0.25 x 1000 (base 100: 0.25 x (900 + 100)).
    ASSERT_TRUE(renderN(image.data(), straightView(), 26, 32, Table{{100}, {0.25}}, 0.0f));
    EXPECT_EQ(image[16 * N + 16], 250);
    // Below the single point's position the same opacity holds (base 0).
    ASSERT_TRUE(renderN(image.data(), straightView(), 26, 32, Table{{5000}, {0.25}}, 0.0f));
    EXPECT_EQ(image[16 * N + 16], 250);
    // An empty sample in front of the box ends the ray at once.
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, Table{{100}, {0.25}}, 0.0f));
    EXPECT_EQ(image[16 * N + 16], 0);
}

TEST_F(VolumeRendering, StripsAndThreadsGiveTheWholeImage)
{
    load(ballVolume());
    const Table table{{500, 1400}, {0.05, 0.6}};
    const auto view = turnedView();
    std::vector<std::uint8_t> wholeRecord(record.size(), 0);
    ASSERT_TRUE(engine.SetZbuffer(wholeRecord.data(), static_cast<std::int32_t>(wholeRecord.size())));
    ASSERT_TRUE(renderN(image.data(), view, 16, 30, table, 0.98f));
    for (const int partHeight : {1, 5, 8, 32}) {
        std::vector<std::int16_t> strips(N * N, -7);
        std::vector<std::uint8_t> stripRecord(record.size(), 0);
        for (int part = 0; part * partHeight < N; ++part) {
            ASSERT_TRUE(engine.SetZbuffer(stripRecord.data(), static_cast<std::int32_t>(stripRecord.size())));
            ASSERT_TRUE(engine.GetImageVolumeRenderNMatrixPart(part, partHeight, strips.data(), N, N, 1.0f, 16, 30, 2,
                                                               positions.data(), values.data(), 0.98f, 0.0f,
                                                               view.data()));
        }
        EXPECT_EQ(strips, image) << "strips of " << partHeight;
        EXPECT_EQ(stripRecord, wholeRecord) << "strips of " << partHeight;
    }
    // The unsplit strip form renders its strip and the two rows below it.
    std::vector<std::int16_t> ramp(N * N, -7);
    ASSERT_TRUE(engine.GetImageVolumeRenderMatrix(ramp.data(), N, N, 1.0f, 16, 30, 500, 1500, 0.98f, 0.0f, view.data()));
    std::vector<std::int16_t> part(N * N, -7);
    ASSERT_TRUE(engine.GetImageVolumeRenderMatrixPart(1, 10, part.data(), N, N, 1.0f, 16, 30, 500, 1500, 0.98f, 0.0f,
                                                      view.data()));
    for (int p = 0; p < N * N; ++p) {
        const int row = p / N;
        EXPECT_EQ(part[p], row >= 10 && row < 22 ? ramp[p] : -7) << p;
    }
}

TEST_F(VolumeRendering, DepthTargetIsWrittenOnlyWhenLargeEnoughAndOnlyOnce)
{
    load(boxVolume());
    const std::vector<std::uint8_t> untouched = record;
    ASSERT_TRUE(engine.SetZbuffer(record.data(), 2 * N * N + 127));
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 1.0f));
    EXPECT_EQ(record, untouched);
    // A target is consumed by the next rendering, even a failed one.
    ASSERT_TRUE(engine.SetZbuffer(record.data(), static_cast<std::int32_t>(record.size())));
    EXPECT_FALSE(renderN(nullptr, straightView(), 16, 32, opaque, 1.0f));
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 1.0f));
    EXPECT_EQ(record, untouched);
}

TEST_F(VolumeRendering, PointMappingRoundTripAndEnlargedRecord)
{
    load(boxVolume());
    ASSERT_TRUE(engine.SetZbuffer(record.data(), static_cast<std::int32_t>(record.size())));
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 1.0f));
    float point[3];
    ASSERT_TRUE(engine.GetPointVRtoVolume(point, record.data(), 12, 20));
    EXPECT_FLOAT_EQ(point[0], 12.0f);
    EXPECT_FLOAT_EQ(point[1], 20.0f);
    EXPECT_FLOAT_EQ(point[2], 11.0f); // depth step 11 + s0 0
    ASSERT_TRUE(engine.GetPointVRtoVolume(point, record.data(), 2, 2));
    EXPECT_EQ(point[0], -1.0f); // a ray that met nothing
    EXPECT_EQ(point[2], -1.0f);
    EXPECT_FALSE(engine.GetPointVRtoVolume(point, record.data(), N, 0));
    EXPECT_FALSE(engine.GetPointVRtoVolume(nullptr, record.data(), 1, 1));

    std::int32_t behind = 99;
    ASSERT_TRUE(engine.GetPointVolumetoVR(point, &behind, record.data(), 12, 20, 11));
    EXPECT_FLOAT_EQ(point[0], 12.0f);
    EXPECT_FLOAT_EQ(point[1], 20.0f);
    EXPECT_EQ(behind, 0);
    ASSERT_TRUE(engine.GetPointVolumetoVR(point, &behind, record.data(), 12, 20, 15));
    EXPECT_EQ(behind, 4); // behind the surface
    // The far edge u = W reads the last column, not past the record.
    ASSERT_TRUE(engine.GetPointVolumetoVR(point, &behind, record.data(), 32, 20, 15));
    EXPECT_FLOAT_EQ(point[0], 32.0f);
    ASSERT_TRUE(engine.GetPointVolumetoVR(point, nullptr, record.data(), 40, 20, 15));
    EXPECT_EQ(point[0], -1.0f);
    EXPECT_FALSE(engine.GetPointVolumetoVR(point, &behind, record.data(), -1, 20, 15));

    // Enlarging keeps every pixel's volume position, also for odd growth.
    for (const int size : {40, 41}) {
        std::vector<std::uint8_t> larger(2 * size * size + 128, 0x55);
        std::copy(record.begin(), record.end(), larger.begin());
        ASSERT_TRUE(engine.ReMapZbuffer(larger.data(), size, size));
        const int offset = size / 2 - N / 2;
        float before[3];
        float after[3];
        for (const auto& [i, j] : {std::pair{12, 20}, std::pair{8, 8}, std::pair{23, 23}, std::pair{0, 31}}) {
            ASSERT_TRUE(engine.GetPointVRtoVolume(before, record.data(), i, j));
            ASSERT_TRUE(engine.GetPointVRtoVolume(after, larger.data(), i + offset, j + offset));
            for (int a = 0; a < 3; ++a)
                EXPECT_FLOAT_EQ(after[a], before[a]) << size << " " << i << "," << j;
        }
        ASSERT_TRUE(engine.GetPointVRtoVolume(after, larger.data(), 0, 0));
        EXPECT_EQ(after[0], -1.0f); // the cleared margin
    }
    const std::vector<std::uint8_t> kept = record;
    EXPECT_FALSE(engine.ReMapZbuffer(record.data(), N - 1, N));
    EXPECT_EQ(record, kept);
    EXPECT_FALSE(engine.ReMapZbuffer(nullptr, 64, 64));
}

TEST_F(VolumeRendering, ColouredRenderingShowsTableColourAndBackground)
{
    load(boxVolume());
    engine.setImageBackColor(0x00332211);
    const std::int16_t position[1] = {100};
    const float opacity[1] = {1.0f};
    const std::int16_t colorPosition[2] = {0, 2000};
    const std::int32_t colors[2] = {0x000000FF, 0x000000FF};
    std::vector<std::uint8_t> rgb(3 * N * N, 7);
    std::uint8_t* created = nullptr;
    ASSERT_TRUE(engine.CreateImageVRCNMatrix(&created, 3, N, N, 1.0f, 16, 32, 1, position, opacity, 2, colorPosition,
                                             colors, 1.0f, 0.0f, straightView().data()));
    ASSERT_NE(created, nullptr);
    ASSERT_TRUE(engine.GetImageVRCNMatrix(rgb.data(), N, N, 1.0f, 16, 32, 1, position, opacity, 2, colorPosition,
                                          colors, 1.0f, 0.0f, straightView().data()));
    EXPECT_EQ(std::memcmp(created, rgb.data(), rgb.size()), 0);
    const int centre = 16 * N + 16;
    EXPECT_EQ(rgb[centre], 255);
    EXPECT_EQ(rgb[N * N + centre], 0);
    EXPECT_EQ(rgb[2 * N * N + centre], 0);
    // A ray through empty space shows the background colour.
    EXPECT_EQ(rgb[2], 0x11);
    EXPECT_EQ(rgb[N * N + 2], 0x22);
    EXPECT_EQ(rgb[2 * N * N + 2], 0x33);
    // Strips over two threads give the same image.
    std::vector<std::uint8_t> strips(3 * N * N, 9);
    for (int part = 0; part < 4; ++part)
        ASSERT_TRUE(engine.GetImageVRCNMatrixPart(part, 8, strips.data(), N, N, 1.0f, 16, 32, 1, position, opacity, 2,
                                                  colorPosition, colors, 1.0f, 0.0f, straightView().data()));
    EXPECT_EQ(strips, rgb);
}

TEST_F(VolumeRendering, EndoscopeLooksIntoTheBoxAndRefusesMasks)
{
    load(boxVolume());
    const std::int16_t position[1] = {100};
    const float opacity[1] = {1.0f};
    // Looking down the depth axis from the volume's centre column.
    const std::array<float, 16> m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 16, 16, 0, 1};
    ASSERT_TRUE(engine.SetZbuffer(record.data(), static_cast<std::int32_t>(record.size())));
    ASSERT_TRUE(engine.GetImageVREndoscopeNMatrix(image.data(), N, N, 1.0f, 0.0f, 30, 0.0f, 1, position, opacity, 1.0f,
                                                  m.data()));
    EXPECT_EQ(image[16 * N + 16], 1000);
    EXPECT_EQ(header(record, 8), 0);
    // The centre ray stays near x = y = 16 and meets the face at z = 10.
    EXPECT_EQ(storedDepth(record, 16, 16), 11);
    std::vector<std::int16_t> part(N * N, -7);
    ASSERT_TRUE(engine.GetImageVREndoscopeNMatrixPart(2, 6, part.data(), N, N, 1.0f, 0.0f, 30, 0.0f, 1, position,
                                                      opacity, 1.0f, m.data()));
    for (int row = 12; row < 20; ++row)
        for (int i = 0; i < N; ++i)
            EXPECT_EQ(part[row * N + i], image[row * N + i]);

    ASSERT_TRUE(engine.SetBitMaskThreshold(1, 0, 10));
    ASSERT_TRUE(engine.BitMaskFlag());
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.GetImageVREndoscopeNMatrix(image.data(), N, N, 1.0f, 0.0f, 30, 0.0f, 1, position, opacity,
                                                   1.0f, m.data()));
    EXPECT_EQ(engine.ErrorNumber(), -1);
}

TEST_F(VolumeRendering, MaskedVoxelsAreLeftOut)
{
    load(boxVolume());
    // Mask the voxels of 1000 with x below 16 (a box cut), then render.
    const std::array<float, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ASSERT_TRUE(engine.SetBitMaskRectangle(1, -1.0f, 15.5f, -1.0f, 40.0f, -1.0f, 40.0f, identity.data()));
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 1.0f));
    EXPECT_EQ(image[16 * N + 20], 1000);
    EXPECT_EQ(image[16 * N + 10], 0);
    engine.setUseBitMask(false);
    ASSERT_TRUE(renderN(image.data(), straightView(), 16, 32, opaque, 1.0f));
    EXPECT_EQ(image[16 * N + 10], 1000);
}

TEST_F(VolumeRendering, BadInputIsRefused)
{
    std::int16_t* created = nullptr;
    const auto view = straightView();
    EXPECT_FALSE(renderN(image.data(), view, 16, 32, opaque, 1.0f)); // no volume
    EXPECT_EQ(engine.ErrorNumber(), -1);
    load(boxVolume());
    engine.setErrorNumber(0);
    EXPECT_FALSE(renderN(image.data(), view, 16, 100000, opaque, 1.0f));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_FALSE(engine.GetImageVolumeRenderNMatrix(image.data(), N, N, 1.0f, 16, 32, 0, positions.data(),
                                                    values.data(), 1.0f, 0.0f, view.data()));
    EXPECT_FALSE(engine.GetImageVolumeRenderNMatrix(image.data(), N, N, 1.0f, 16, 32, 1, nullptr, values.data(), 1.0f,
                                                    0.0f, view.data()));
    EXPECT_FALSE(engine.GetImageVolumeRenderNMatrix(image.data(), 0, N, 1.0f, 16, 32, 1, positions.data(),
                                                    values.data(), 1.0f, 0.0f, view.data()));
    EXPECT_FALSE(engine.GetImageVolumeRenderNMatrix(image.data(), N, N, 1.0f, 16, 32, 1, positions.data(),
                                                    values.data(), 1.0f, 0.0f, nullptr));
    EXPECT_FALSE(engine.GetImageVolumeRenderNMatrixPart(-1, 8, image.data(), N, N, 1.0f, 16, 32, 1, positions.data(),
                                                        values.data(), 1.0f, 0.0f, view.data()));
    EXPECT_FALSE(engine.CreateImageVolumeRenderNMatrix(&created, 100, N, N, 1.0f, 16, 32, 1, positions.data(),
                                                       values.data(), 1.0f, 0.0f, view.data()));
    EXPECT_EQ(created, nullptr);
    EXPECT_FALSE(engine.CreateImageVolumeRenderNMatrix(nullptr, 1, N, N, 1.0f, 16, 32, 1, positions.data(),
                                                       values.data(), 1.0f, 0.0f, view.data()));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    ASSERT_TRUE(engine.CreateImageVolumeRenderNMatrix(&created, 1, N, N, 1.0f, 16, 32, 1, positions.data(),
                                                      values.data(), 1.0f, 0.0f, view.data()));
    EXPECT_EQ(created[16 * N + 16], 1000);
    // A view far outside the volume renders nothing, without failing.
    const std::array<float, 16> far = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1e30f, -1e30f, 0, 1};
    ASSERT_TRUE(renderN(image.data(), far, 16, 32, opaque, 1.0f));
    EXPECT_EQ(image[16 * N + 16], 0);
}

} // namespace

namespace {

TEST(CentralStructureRendering, KeepsOnlyTheStructureAtTheCentre)
{
    // A box around the centre and a separate box at the side, both 1000.
    reference::Volume v;
    v.X = v.Y = v.Z = N;
    v.v.assign(static_cast<std::size_t>(N) * N * N, 0);
    const auto fill = [&](int x0, int x1, int y0, int y1, int z0, int z1) {
        for (int z = z0; z <= z1; ++z)
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    v.v[(static_cast<std::size_t>(z) * N + y) * N + x] = 1000;
    };
    fill(11, 21, 11, 21, 10, 22);
    fill(25, 29, 4, 8, 10, 22);
    VazAZUrorav engine;
    ASSERT_TRUE(loadIntoEngine(engine, v));
    std::int16_t* image = nullptr;
    const auto view = straightView();
    for (const int depth : {32, 31}) { // an even and an odd stack
        ASSERT_TRUE(engine.CreateImageAVRMatrix(&image, 2, N, N, 1.0f, 16, depth, 100, 1000, 1.0f, view.data()));
        ASSERT_NE(image, nullptr);
        // Opaque at 1000: the front face's value, the shade 1 straight on.
        EXPECT_EQ(image[16 * N + 16], 1000) << depth;
        EXPECT_EQ(image[6 * N + 27], 0) << depth; // the side box is gone
        EXPECT_EQ(image[2 * N + 2], 0) << depth;
        for (int i = 0; i < N; ++i)
            EXPECT_EQ(image[i], 0) << depth; // the border row
    }
    // Under a mask the values are read without their mask bits: the masked
    // front layers of the central box still show their value 1000.
    const std::array<float, 16> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ASSERT_TRUE(engine.SetBitMaskRectangle(1, 9.5f, 22.5f, 9.5f, 22.5f, 9.5f, 12.5f, identity.data()));
    ASSERT_TRUE(engine.BitMaskFlag());
    ASSERT_TRUE(engine.CreateImageAVRMatrix(&image, 2, N, N, 1.0f, 16, 31, 100, 1000, 1.0f, view.data()));
    EXPECT_EQ(image[16 * N + 16], 1000);
    EXPECT_FALSE(engine.CreateImageAVRMatrix(&image, 2, N, N, 1.0f, 16, 32, 100, 1000, 1.0f, nullptr));
    EXPECT_FALSE(engine.CreateImageAVRMatrix(&image, 200, N, N, 1.0f, 16, 32, 100, 1000, 1.0f, view.data()));
}

} // namespace
