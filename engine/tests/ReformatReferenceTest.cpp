// Reformats and projections against the straightforward reference of
// ReferenceImaging.h, on small random volumes and random view matrices.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace {

using reference::Kind;

// Declares a random volume and takes the spacings back as the engine stores
// them (floats), so that the reference works on the same geometry.
reference::Volume loadRandom(VazAZUrorav& engine, int X, int Y, int Z, double sx, double sy, double sz,
                             unsigned seed)
{
    reference::Volume v = reference::randomVolume(X, Y, Z, seed);
    v.sx = sx;
    v.sy = sy;
    v.sz = sz;
    EXPECT_TRUE(loadIntoEngine(engine, v));
    v.sx = engine.Xspacing();
    v.sy = engine.Yspacing();
    v.sz = engine.Zspacing();
    return v;
}

constexpr std::int16_t Untouched = -12345;

std::vector<int> runOrthoReformat(VazAZUrorav& engine, int W, int H, int axis, int plane)
{
    std::vector<std::int16_t> image(static_cast<std::size_t>(W) * H, Untouched);
    EXPECT_TRUE(engine.GetImageOrthoMPR(image.data(), W, H, axis, plane));
    for (std::int16_t value : image)
        if (value != Untouched)
            return widen(image.data(), image.size());
    return {};
}

TEST(OrthogonalReformat, EveryAxisMatchesTheReference)
{
    VazAZUrorav engine;
    const std::array<std::array<double, 3>, 3> spacings = {{{0.7, 0.7, 5.0}, {0.5, 0.8, -1.25}, {1.0, 1.0, 0.6}}};
    unsigned seed = 1;
    for (const auto& s : spacings) {
        const reference::Volume v = loadRandom(engine, 12, 9, 7, s[0], s[1], s[2], seed++);
        for (int axis : {0, 1, 2, 13, 14})
            for (const auto& size : {std::array<int, 2>{12, 9}, {16, 40}, {9, 5}, {33, 14}})
                for (int plane : {-1, 0, 4, 8, 11, 12}) {
                    SCOPED_TRACE(testing::Message() << "axis " << axis << " size " << size[0] << "x" << size[1]
                                                    << " plane " << plane);
                    const std::vector<int> expected = reference::orthogonalReformat(v, size[0], size[1], axis, plane);
                    EXPECT_EQ(runOrthoReformat(engine, size[0], size[1], axis, plane), expected);
                }
    }
}

TEST(OrthogonalReformat, LastSliceBoundaryAndCentring)
{
    VazAZUrorav engine;
    const reference::Volume v = loadRandom(engine, 8, 6, 5, 0.7, 0.7, -5.0, 11);
    std::vector<std::int16_t> image(48, Untouched);
    ASSERT_TRUE(engine.GetImageOrthoMPR(image.data(), 8, 6, 0, 5)); // Plane = Z: untouched
    for (std::int16_t value : image)
        EXPECT_EQ(value, Untouched);
    ASSERT_TRUE(engine.GetImageOrthoMPR(image.data(), 8, 6, 0, 4)); // Plane = Z - 1: the last slice
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(image[static_cast<std::size_t>(i)], v.v[static_cast<std::size_t>(4 * 48 + i)]);

    // Coronal into 64 rows with r = 0.14: rows whose slice coordinate falls
    // outside 0 .. 4 (4 itself excluded) are 0, the volume is centred.
    std::vector<std::int16_t> coronal(8 * 64, Untouched);
    ASSERT_TRUE(engine.GetImageOrthoMPR(coronal.data(), 8, 64, 1, 3));
    const double r = 0.7f / 5.0;
    int firstInside = -1, lastInside = -1;
    for (int n = 0; n < 64; ++n) {
        const double e = r * n - (63 * r - 4) / 2.0;
        const bool inside = e >= 0 && e < 4;
        if (inside) {
            lastInside = n;
            if (firstInside < 0)
                firstInside = n;
        } else {
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(coronal[static_cast<std::size_t>(n * 8 + x)], 0) << "row " << n;
        }
    }
    EXPECT_EQ(firstInside + lastInside, 63); // centred: symmetric about row 31.5
    EXPECT_EQ(firstInside, 18); // 31.5 - 2 / 0.14
    EXPECT_FALSE(engine.GetImageOrthoMPR(image.data(), 8, 6, 3, 0));
    EXPECT_FALSE(VazAZUrorav().GetImageOrthoMPR(image.data(), 8, 6, 0, 0));

    // The Create form returns the numbered buffer.
    std::int16_t* buffer = nullptr;
    ASSERT_TRUE(engine.CreateImageOrthoMPR(&buffer, 0, 8, 6, 0, 2));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer[47], v.v[2 * 48 + 47]);
}

std::vector<int> runOrthoProjection(VazAZUrorav& engine, Kind kind, int W, int H, int axis, int plane, int depth)
{
    std::int16_t* image = nullptr;
    std::vector<std::int16_t> own(static_cast<std::size_t>(W) * H, Untouched);
    bool done = false;
    switch (kind) {
    case Kind::Max:
        done = engine.GetImageOrthoMIP(own.data(), W, H, axis, plane, depth);
        image = own.data();
        break;
    case Kind::Min:
        done = engine.GetImageOrthoMinIP(own.data(), W, H, axis, plane, depth);
        image = own.data();
        break;
    case Kind::Mean:
        // A numbered buffer starts zeroed: "nothing written" shows as zeros.
        done = engine.CreateImageOrthoSum(&image, 5, W, H, axis, plane, depth);
        break;
    }
    EXPECT_TRUE(done);
    std::vector<int> out = widen(image, own.size());
    const int blank = kind == Kind::Mean ? 0 : Untouched;
    for (int value : out)
        if (value != blank)
            return out;
    return {};
}

TEST(OrthogonalProjection, EveryAxisAndKindMatchesTheReference)
{
    VazAZUrorav engine;
    const reference::Volume v = loadRandom(engine, 11, 10, 9, 0.6, 0.9, 2.0, 21);
    for (Kind kind : {Kind::Max, Kind::Min, Kind::Mean})
        for (int axis : {0, 1, 2})
            for (const auto& size : {std::array<int, 2>{11, 10}, {12, 30}, {10, 9}})
                for (const auto& slab : {std::array<int, 2>{0, 1}, {1, 5}, {5, 4}, {9, 7}, {-3, 2}, {30, 3}, {4, 0}}) {
                    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " axis " << axis
                                                    << " size " << size[0] << "x" << size[1] << " plane " << slab[0]
                                                    << " depth " << slab[1]);
                    std::vector<int> expected =
                        reference::orthogonalProjection(v, kind, size[0], size[1], axis, slab[0], slab[1]);
                    // An all-zero mean image cannot be told from an untouched buffer.
                    if (kind == Kind::Mean && std::all_of(expected.begin(), expected.end(), [](int x) { return x == 0; }))
                        expected.clear();
                    EXPECT_EQ(runOrthoProjection(engine, kind, size[0], size[1], axis, slab[0], slab[1]), expected);
                }
}

TEST(OrthogonalProjection, SlabClippedAtTheStartDividesByWhatRemains)
{
    VazAZUrorav engine;
    reference::Volume v;
    v.X = 1;
    v.Y = 6;
    v.Z = 2;
    v.v = {10, 20, 30, 40, 1000, 1000, 10, 20, 30, 40, 1000, 1000};
    ASSERT_TRUE(loadIntoEngine(engine, v));
    // Coronal slab Plane 1, depth 5 starts at -1: rows 0 .. 3, divided by 4.
    std::int16_t* image = nullptr;
    ASSERT_TRUE(engine.CreateImageOrthoSum(&image, 1, 1, 2, 1, 1, 5));
    EXPECT_EQ(image[0], 25);
    std::vector<std::int16_t> minimum(2);
    ASSERT_TRUE(engine.GetImageOrthoMinIP(minimum.data(), 1, 2, 1, 1, 5));
    EXPECT_EQ(minimum[0], 10);
    ASSERT_TRUE(engine.GetImageOrthoMIP(minimum.data(), 1, 2, 1, 1, 5));
    EXPECT_EQ(minimum[0], 40);
    // Projections know axes 0, 1 and 2 only.
    EXPECT_FALSE(engine.GetImageOrthoMIP(minimum.data(), 1, 2, 13, 1, 5));
}

TEST(OrthogonalProjection, LocaliserSlabCoversFortyRowsAroundThePlane)
{
    VazAZUrorav engine;
    reference::Volume v = reference::randomVolume(4, 64, 3, 5, 3000);
    for (auto& s : v.v)
        s = static_cast<std::int16_t>(1000 + s % 100);
    v.sx = 1.0;
    v.sy = 1.0;
    v.sz = 1.0;
    // Row 12 (the first of the slab 12 .. 51) and rows 11 and 52 (outside)
    // of slice 1, column 2, get marked values.
    auto at = [&](int x, int y, int z) -> std::int16_t& { return v.v[static_cast<std::size_t>((z * 64 + y) * 4 + x)]; };
    at(2, 12, 1) = 7;
    at(1, 11, 1) = 3;
    at(3, 52, 1) = 3;
    at(0, 51, 1) = 9;
    ASSERT_TRUE(loadIntoEngine(engine, v));
    std::int16_t* image = nullptr;
    ASSERT_TRUE(engine.CreateImageOrthoMinIP(&image, 2, 4, 3, 1, 32, 40));
    EXPECT_EQ(image[4 * 1 + 2], 7);
    EXPECT_EQ(image[4 * 1 + 0], 9);
    EXPECT_GE(image[4 * 1 + 1], 1000);
    EXPECT_GE(image[4 * 1 + 3], 1000);
}

// A random view: rotation about a random axis through a point near the
// volume centre, in the engine's voxel placement.
std::array<float, 16> randomView(VazAZUrorav& engine, const reference::Volume& v, std::mt19937& random)
{
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::array<float, 16> m{};
    EXPECT_TRUE(engine.GetMatrixAxialRotate(m.data(), (v.X - 1) / 2.0f + 2 * unit(random),
                                            (v.Y - 1) / 2.0f + 2 * unit(random), (v.Z - 1) / 2.0f + unit(random),
                                            unit(random), unit(random), unit(random), 180 * unit(random)));
    return m;
}

TEST(ObliqueReformat, RandomMatricesMatchTheReference)
{
    VazAZUrorav engine;
    const reference::Volume v = loadRandom(engine, 17, 15, 12, 0.8, 0.7, 1.5, 31);
    std::mt19937 random(32);
    std::uniform_int_distribution<int> plane(-6, 6);
    for (int trial = 0; trial < 24; ++trial) {
        const auto m = randomView(engine, v, random);
        const int W = 19 + trial % 5, H = 13 + trial % 7;
        const int p = plane(random);
        const float spacing = trial % 3 == 0 ? 0.0f : 0.5f + 0.1f * (trial % 4);
        std::int16_t* image = nullptr;
        ASSERT_TRUE(engine.CreateImageMPRMatrix(&image, 3, W, H, spacing, p, m.data()));
        const double used = spacing > 0 ? spacing : v.sx;
        const std::vector<int> expected = reference::obliqueReformat(v, m.data(), W, H, used, p);
        EXPECT_LE(largestDifference(widen(image, expected.size()), expected), 1) << "trial " << trial;
        // The Get form samples with the X spacing.
        std::vector<std::int16_t> own(expected.size(), Untouched);
        ASSERT_TRUE(engine.GetImageMPRMatrix(own.data(), W, H, p, m.data()));
        EXPECT_LE(largestDifference(widen(own.data(), own.size()), reference::obliqueReformat(v, m.data(), W, H, v.sx, p)), 1);
    }
}

TEST(ObliqueReformat, DefaultMatrixSamplesTheMiddleSliceHalfAVoxelLeft)
{
    VazAZUrorav engine;
    const reference::Volume v = loadRandom(engine, 6, 5, 5, 1.0, 1.0, -1.0, 41);
    std::array<float, 16> m{};
    ASSERT_TRUE(engine.GetMatrixDefault(m.data()));
    std::int16_t* image = nullptr;
    ASSERT_TRUE(engine.CreateImageMPRMatrix(&image, 0, 6, 5, 1.0f, 0, m.data()));
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(image[j * 6], 0); // column -0.5 lies outside
        for (int i = 1; i < 6; ++i) {
            if (j - 0.5 < 0 || j - 0.5 >= 4) {
                EXPECT_EQ(image[j * 6 + i], 0);
                continue;
            }
            // Half way between columns i-1 and i, rows j-1 and j, of slice 2.
            const double expected = (v.at(i - 1, j - 1, 2) + v.at(i, j - 1, 2) + v.at(i - 1, j, 2) + v.at(i, j, 2)) / 4.0;
            EXPECT_NEAR(image[j * 6 + i], static_cast<int>(expected + 0.5), 1) << i << "," << j;
        }
    }
    EXPECT_FALSE(engine.CreateImageMPRMatrix(&image, 0, 6, 5, 1.0f, 0, nullptr));
    EXPECT_FALSE(engine.CreateImageMPRMatrix(&image, 100, 6, 5, 1.0f, 0, m.data()));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_EQ(image, nullptr);
}

TEST(ObliqueProjection, EveryKindMatchesTheReference)
{
    VazAZUrorav engine;
    const reference::Volume v = loadRandom(engine, 16, 14, 13, 0.75, 0.75, -1.25, 51);
    std::mt19937 random(52);
    std::uniform_int_distribution<int> plane(-8, 8);
    std::uniform_int_distribution<int> depth(-1, 30);
    for (int trial = 0; trial < 18; ++trial) {
        const auto m = randomView(engine, v, random);
        const int W = 15 + trial % 4, H = 11 + trial % 6;
        const int p = plane(random), d = depth(random);
        const float spacing = trial % 2 ? 0.0f : 0.6f;
        const double used = spacing > 0 ? spacing : v.sx;
        SCOPED_TRACE(testing::Message() << "trial " << trial << " plane " << p << " depth " << d);
        std::int16_t* image = nullptr;
        ASSERT_TRUE(engine.CreateImageMIPMatrix(&image, 1, W, H, spacing, p, d, m.data()));
        const auto mip = reference::obliqueProjection(v, Kind::Max, m.data(), W, H, used, p, d);
        EXPECT_LE(largestDifference(widen(image, mip.size()), mip), 1);
        ASSERT_TRUE(engine.CreateImageMinIPMatrix(&image, 1, W, H, spacing, p, d, m.data()));
        const auto minip = reference::obliqueProjection(v, Kind::Min, m.data(), W, H, used, p, d);
        EXPECT_LE(largestDifference(widen(image, minip.size()), minip), 1);
        ASSERT_TRUE(engine.CreateImageSumMatrix(&image, 1, W, H, spacing, p, d, m.data()));
        const auto mean = reference::obliqueProjection(v, Kind::Mean, m.data(), W, H, used, p, d);
        EXPECT_LE(largestDifference(widen(image, mean.size()), mean), 1);

        // Get forms and the Add forms, which start from the image's values;
        // they scale by the X spacing whatever PixelSpacing they are given.
        const auto mipX = spacing > 0 ? reference::obliqueProjection(v, Kind::Max, m.data(), W, H, v.sx, p, d) : mip;
        const auto minipX =
            spacing > 0 ? reference::obliqueProjection(v, Kind::Min, m.data(), W, H, v.sx, p, d) : minip;
        std::vector<std::int16_t> own(mip.size());
        ASSERT_TRUE(engine.GetImageMIPMatrix(own.data(), W, H, spacing, p, d, m.data()));
        EXPECT_LE(largestDifference(widen(own.data(), own.size()), mipX), 1);
        ASSERT_TRUE(engine.GetImageMinIPMatrix(own.data(), W, H, spacing, p, d, m.data()));
        EXPECT_LE(largestDifference(widen(own.data(), own.size()), minipX), 1);
        std::vector<int> start(own.size());
        for (std::size_t i = 0; i < own.size(); ++i) {
            start[i] = static_cast<int>((i * 389) % 3200);
            own[i] = static_cast<std::int16_t>(start[i]);
        }
        ASSERT_TRUE(engine.GetImageMIPMatrixAdd(own.data(), W, H, spacing, p, d, m.data()));
        EXPECT_LE(largestDifference(widen(own.data(), own.size()),
                                    reference::obliqueProjection(v, Kind::Max, m.data(), W, H, v.sx, p, d, start)),
                  1);
        for (std::size_t i = 0; i < own.size(); ++i)
            own[i] = static_cast<std::int16_t>(start[i]);
        ASSERT_TRUE(engine.GetImageMinIPMatrixAdd(own.data(), W, H, spacing, p, d, m.data()));
        EXPECT_LE(largestDifference(widen(own.data(), own.size()),
                                    reference::obliqueProjection(v, Kind::Min, m.data(), W, H, v.sx, p, d, start)),
                  1);
    }
}

TEST(ObliqueProjection, NegativeSamplesAtVoxelCentresGiveExactExtremes)
{
    // Samples on voxel centres interpolate exactly, so the engine must agree
    // with the reference bit for bit, also where negative values (flag bits
    // written through PtrData) round toward zero.
    VazAZUrorav engine;
    reference::Volume v = loadRandom(engine, 6, 6, 6, 1.0, 1.0, 1.0, 91);
    std::mt19937 random(92);
    std::uniform_int_distribution<int> value(-50, 50);
    for (std::size_t i = 0; i < v.v.size(); ++i)
        engine.PtrData()[i] = v.v[i] = static_cast<std::int16_t>(value(random));
    const std::array<float, 16> m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, 3, 0, 1}; // q = (i, j, k)
    std::vector<int> start(36);
    std::vector<std::int16_t> image(36);
    for (Kind kind : {Kind::Max, Kind::Min})
        for (int trial = 0; trial < 2; ++trial) {
            for (std::size_t i = 0; i < start.size(); ++i)
                image[i] = static_cast<std::int16_t>(start[i] = value(random) - 20);
            if (kind == Kind::Max)
                ASSERT_TRUE(engine.GetImageMIPMatrixAdd(image.data(), 6, 6, 1.0f, 2, 5, m.data()));
            else
                ASSERT_TRUE(engine.GetImageMinIPMatrixAdd(image.data(), 6, 6, 1.0f, 2, 5, m.data()));
            EXPECT_EQ(widen(image.data(), image.size()),
                      reference::obliqueProjection(v, kind, m.data(), 6, 6, 1.0, 2, 5, start));
        }
    // A cell whose largest corner equals the running maximum still raises a
    // negative one: -10 + 0.5 truncates to -9.
    for (std::size_t i = 0; i < v.v.size(); ++i)
        engine.PtrData()[i] = v.v[i] = -10;
    std::fill(image.begin(), image.end(), std::int16_t{-10});
    std::fill(start.begin(), start.end(), -10);
    ASSERT_TRUE(engine.GetImageMIPMatrixAdd(image.data(), 6, 6, 1.0f, 2, 5, m.data()));
    EXPECT_EQ(image[6 + 1], -9);
    EXPECT_EQ(widen(image.data(), image.size()), reference::obliqueProjection(v, Kind::Max, m.data(), 6, 6, 1.0, 2, 5, start));
}

TEST(ObliqueProjection, SlabOutsideTheVolumeGivesStartValues)
{
    VazAZUrorav engine;
    const reference::Volume v = loadRandom(engine, 8, 8, 8, 1.0, 1.0, 1.0, 61);
    std::array<float, 16> m{};
    ASSERT_TRUE(engine.GetMatrixDefault(m.data()));
    std::int16_t* image = nullptr;
    ASSERT_TRUE(engine.CreateImageMinIPMatrix(&image, 4, 8, 8, 1.0f, 500, 10, m.data()));
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(image[i], 16384);
    ASSERT_TRUE(engine.CreateImageMIPMatrix(&image, 4, 8, 8, 1.0f, -500, 10, m.data()));
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(image[i], 0);
    // Huge planes and depths neither overflow nor crash.
    ASSERT_TRUE(engine.CreateImageSumMatrix(&image, 4, 8, 8, 1.0f, 2147483647, 2147483647, m.data()));
    EXPECT_FALSE(VazAZUrorav().GetImageMIPMatrix(image, 8, 8, 1.0f, 0, 1, m.data()));
}

} // namespace
