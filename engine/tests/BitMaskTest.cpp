// Masking steps, undo levels, shapes, polygons and mark flags of the engine,
// against brute-force selections written here.
#include "MaskTestSupport.h"

#include "../masks/BitMaskVolume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

struct MaskedEngine : ::testing::Test {
    VazAZUrorav engine;
    reference::Volume volume;
    void SetUp() override
    {
        volume = reference::randomVolume(12, 10, 8, 7, 3000);
        ASSERT_TRUE(loadIntoEngine(engine, volume));
    }
    std::size_t index(int x, int y, int z) const { return (static_cast<std::size_t>(z) * volume.Y + y) * volume.X + x; }
    // Ages expected after one more step that selects select(x, y, z, value)
    // among the visible voxels.
    std::vector<int> afterStep(const std::vector<int>& ages, const std::function<bool(int, int, int, int)>& select) const
    {
        std::vector<int> next = ages;
        for (int z = 0; z < volume.Z; ++z)
            for (int y = 0; y < volume.Y; ++y)
                for (int x = 0; x < volume.X; ++x) {
                    int& a = next[index(x, y, z)];
                    if (a != 0)
                        a = std::min(3, a + 1);
                    else if (select(x, y, z, volume.at(x, y, z)))
                        a = 1;
                }
        return next;
    }
};

TEST_F(MaskedEngine, ThreeStepsTwoUndosKeepTheOldestAndClearReleasesAll)
{
    std::vector<int> expected(volume.v.size(), 0);
    const float boxes[3][6] = {{-1, 3, -1, 20, -1, 20}, {3, 7, -1, 20, -1, 20}, {7, 20, -1, 4, -1, 20}};
    for (const auto& b : boxes) {
        ASSERT_TRUE(engine.SetBitMaskRectangle(1, b[0], b[1], b[2], b[3], b[4], b[5], IdentityMatrix));
        expected = afterStep(expected, [&](int x, int y, int z, int) {
            return x > b[0] && x < b[1] && y > b[2] && y < b[3] && z > b[4] && z < b[5];
        });
        EXPECT_EQ(agesOf(engine), expected);
    }
    EXPECT_TRUE(engine.BitMaskFlag());
    ASSERT_TRUE(engine.UndoBitMask());
    ASSERT_TRUE(engine.UndoBitMask());
    for (int& a : expected)
        a = a == 3 ? 3 : 0;
    EXPECT_EQ(agesOf(engine), expected);
    EXPECT_TRUE(engine.BitMaskFlag()); // the count only drops from 1 or 2
    EXPECT_FALSE(engine.ChangeDataRange(1000));
    ASSERT_TRUE(engine.ClearBitMask());
    EXPECT_FALSE(engine.BitMaskFlag());
    EXPECT_EQ(agesOf(engine), std::vector<int>(volume.v.size(), 0));
    EXPECT_EQ(widen(reinterpret_cast<const std::int16_t*>(samplesOf(engine).data()), volume.v.size()),
              std::vector<int>(volume.v.begin(), volume.v.end()));
}

TEST_F(MaskedEngine, UndoOfOneStepEndsTheMask)
{
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 1500));
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 1500, 2000));
    ASSERT_TRUE(engine.UndoBitMask());
    EXPECT_TRUE(engine.BitMaskFlag());
    ASSERT_TRUE(engine.UndoBitMask());
    EXPECT_FALSE(engine.BitMaskFlag());
    EXPECT_EQ(agesOf(engine), std::vector<int>(volume.v.size(), 0));
    EXPECT_TRUE(engine.ChangeDataRange(2500));
}

TEST_F(MaskedEngine, ThresholdSelectsInsideOutsideOrNothing)
{
    std::vector<int> expected(volume.v.size(), 0);
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 100));
    expected = afterStep(expected, [](int, int, int, int v) { return v >= 0 && v <= 100; });
    EXPECT_EQ(agesOf(engine), expected);
    ASSERT_TRUE(engine.SetBitMaskThreshold(1, 0, 2000));
    expected = afterStep(expected, [](int, int, int, int v) { return v < 0 || v > 2000; });
    EXPECT_EQ(agesOf(engine), expected);
    // Any other mode selects nothing but still ages and counts.
    ASSERT_TRUE(engine.SetBitMaskThreshold(5, 0, 2000));
    expected = afterStep(expected, [](int, int, int, int) { return false; });
    EXPECT_EQ(agesOf(engine), expected);
    // A masked voxel reads back without its mask bits.
    for (int z = 0; z < volume.Z; ++z)
        for (int x = 0; x < volume.X; ++x)
            EXPECT_EQ(engine.GetValueSourceData(x, 3, z), volume.at(x, 3, z));
}

TEST_F(MaskedEngine, RectangleWithZeroDepthRangeMasksTheFullDepth)
{
    ASSERT_TRUE(engine.SetBitMaskRectangle(1, 2, 6, 1, 5, 0, 0, IdentityMatrix));
    const auto expected = afterStep(std::vector<int>(volume.v.size(), 0),
                                    [](int x, int y, int, int) { return x > 2 && x < 6 && y > 1 && y < 5; });
    EXPECT_EQ(agesOf(engine), expected);
    // Outside the closed box (equality is inside the closed box).
    ASSERT_TRUE(engine.ClearBitMask());
    ASSERT_TRUE(engine.SetBitMaskRectangle(0, 2, 6, 1, 5, 2, 4, IdentityMatrix));
    const auto outside = afterStep(std::vector<int>(volume.v.size(), 0), [](int x, int y, int z, int) {
        return !(x >= 2 && x <= 6 && y >= 1 && y <= 5 && z >= 2 && z <= 4);
    });
    EXPECT_EQ(agesOf(engine), outside);
}

TEST_F(MaskedEngine, CylinderAndEllipsoidInShapeCoordinatesMatchBruteForce)
{
    // Shape coordinates: millimetres with spacing (0.7, 0.9, 2.5), shifted.
    const float M[16] = {0.7f, 0, 0, 0, 0, 0.9f, 0, 0, 0, 0, 2.5f, 0, -1.0f, 2.0f, 0.5f, 1};
    const auto shape = [&](int x, int y, int z, double q[3]) {
        q[0] = x * double{M[0]} + M[12];
        q[1] = y * double{M[5]} + M[13];
        q[2] = z * double{M[10]} + M[14];
    };
    for (const int interior : {1, 0}) {
        ASSERT_TRUE(engine.ClearBitMask());
        ASSERT_TRUE(engine.SetBitMaskCylinder(interior, 3.0f, 6.0f, 2.5f, 3.2f, 3.0f, 15.0f, M));
        const auto expected = afterStep(std::vector<int>(volume.v.size(), 0), [&](int x, int y, int z, int) {
            double q[3];
            shape(x, y, z, q);
            const double rx = 2.5f, ry = 3.2f;
            const bool inside = ry * ry * (q[0] - 3) * (q[0] - 3) + rx * rx * (q[1] - 6) * (q[1] - 6) < rx * rx * ry * ry &&
                                q[2] > 3 && q[2] < 15;
            return inside == (interior > 0);
        });
        EXPECT_EQ(agesOf(engine), expected) << "cylinder, interior " << interior;

        ASSERT_TRUE(engine.ClearBitMask());
        ASSERT_TRUE(engine.SetBitMaskSphere(interior, 3.0f, 4.0f, 9.0f, 3.0f, 2.2f, 6.0f, M));
        const auto sphere = afterStep(std::vector<int>(volume.v.size(), 0), [&](int x, int y, int z, int) {
            double q[3];
            shape(x, y, z, q);
            const double r[3] = {3.0f, 2.2f, 6.0f};
            const double c[3] = {3, 4, 9};
            const double r2[3] = {r[0] * r[0], r[1] * r[1], r[2] * r[2]};
            const double d[3] = {q[0] - c[0], q[1] - c[1], q[2] - c[2]};
            const double sum = r2[1] * r2[2] * d[0] * d[0] + r2[0] * r2[2] * d[1] * d[1] + r2[0] * r2[1] * d[2] * d[2];
            return (sum < r2[0] * r2[1] * r2[2]) == (interior > 0);
        });
        EXPECT_EQ(agesOf(engine), sphere) << "ellipsoid, interior " << interior;
    }
}

TEST_F(MaskedEngine, DilationOnlyAgesAndErosionWithTheCrossPeelsTheSurface)
{
    ASSERT_TRUE(engine.SetBitMaskRectangle(0, 1, 9, 1, 7, 1, 5, IdentityMatrix));
    const auto before = agesOf(engine);
    const std::int16_t cross[27] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    const std::int32_t dims[3] = {3, 3, 3};
    ASSERT_TRUE(engine.SetBitMaskDilation(cross, dims));
    EXPECT_EQ(agesOf(engine), afterStep(before, [](int, int, int, int) { return false; }));
    const auto aged = agesOf(engine);
    ASSERT_TRUE(engine.SetBitMaskErosion(cross, dims));
    EXPECT_EQ(agesOf(engine), afterStep(aged, [](int x, int y, int z, int) {
                  return x == 1 || x == 9 || y == 1 || y == 7 || z == 1 || z == 5;
              }));
}

TEST_F(MaskedEngine, BadArgumentsAreRefusedWithoutChange)
{
    const auto before = samplesOf(engine);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetBitMaskRectangle(1, 0, 1, 0, 1, 0, 1, nullptr));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_FALSE(engine.SetBitMaskSphere(1, 0, 0, 0, 1, 1, 1, nullptr));
    EXPECT_FALSE(engine.SetBitMaskFreePoints(1, 0, nullptr, 0, 0, IdentityMatrix));
    const std::int32_t hugePolygon[4] = {-2000000000, -2000000000, 2000000000, 2000000000};
    EXPECT_FALSE(engine.SetBitMaskFreePoints(1, 2, hugePolygon, 0, 0, IdentityMatrix));
    EXPECT_FALSE(engine.MathBitMaskMorphology(0, 0, 0, 3, 3));
    EXPECT_FALSE(engine.MathBitMaskMorphology(0, 7, 3, 3, 3));
    EXPECT_FALSE(engine.MathBitMaskMorphology(4, 0, 3, 3, 3));
    const std::int16_t empty[1] = {0};
    const std::int32_t one[3] = {1, 1, 1};
    const std::int32_t negative[3] = {1, -1, 1};
    EXPECT_FALSE(engine.SetBitMaskErosion(empty, one));
    EXPECT_FALSE(engine.SetBitMaskErosion(empty, negative));
    EXPECT_FALSE(engine.SetBitMaskErosion(nullptr, one));
    EXPECT_FALSE(engine.SetMarkFlagSphere(0, 0, 0, 1, 1, 1, IdentityMatrix, 4));
    EXPECT_FALSE(engine.SetBitMaskRegionGrowingPoint(10, 10, 0, 0, -1, 0, 0));
    EXPECT_FALSE(engine.SetMarkFlagRegionGrowingPoint(10, 10, 0, 0, 0, 0, volume.Z, 1));
    EXPECT_FALSE(engine.ClearBitMaskImage(nullptr, 4, 1));
    EXPECT_EQ(samplesOf(engine), before);
    EXPECT_FALSE(engine.BitMaskFlag());
}

TEST(BitMaskWithoutVolume, EveryMethodAnswersFalse)
{
    VazAZUrorav engine;
    const std::int16_t one[1] = {1};
    const std::int32_t dims[3] = {1, 1, 1};
    const std::int32_t points[6] = {0, 0, 4, 0, 4, 4};
    float value[4];
    EXPECT_FALSE(engine.SetBitMaskRectangle(1, 0, 1, 0, 1, 0, 1, IdentityMatrix));
    EXPECT_FALSE(engine.SetBitMaskCylinder(1, 0, 0, 1, 1, 0, 0, IdentityMatrix));
    EXPECT_FALSE(engine.SetBitMaskSphere(1, 0, 0, 0, 1, 1, 1, IdentityMatrix));
    EXPECT_FALSE(engine.SetBitMaskFreePoints(1, 3, points, 0, 0, IdentityMatrix));
    EXPECT_FALSE(engine.SetBitMaskThreshold(0, 0, 100));
    EXPECT_FALSE(engine.SetBitMaskRegionGrowingPoint(1, 1, 0, 0, 0, 0, 0));
    EXPECT_FALSE(engine.SetBitMaskErosion(one, dims));
    EXPECT_FALSE(engine.SetBitMaskDilation(one, dims));
    EXPECT_FALSE(engine.MathBitMaskMorphology(0, 0, 3, 3, 3));
    EXPECT_FALSE(engine.UndoBitMask());
    EXPECT_FALSE(engine.ClearBitMask());
    EXPECT_FALSE(engine.SetMarkFlagSphere(0, 0, 0, 1, 1, 1, IdentityMatrix, 1));
    EXPECT_FALSE(engine.SetMarkFlagRegionGrowingPoint(1, 1, 0, 0, 0, 0, 0, 1));
    EXPECT_FALSE(engine.SetMarkFlagClear(0));
    EXPECT_FALSE(engine.GetNoduleProperty(value, 4, nullptr, 0, nullptr, 0, nullptr, 0));
}

TEST(BitMaskImage, ClearModesOnMaskedSamples)
{
    VazAZUrorav engine;
    const std::uint16_t input[4] = {1000, 16383, 0x4000 | 3000, 0xC000 | 500};
    const std::uint16_t expected[5][4] = {
        {1000, 16383, 0, 0},                                                          // any other mode
        {1000, 16383, static_cast<std::uint16_t>(((0x4000 | 3000) / 2) & 0x1FFF),
         static_cast<std::uint16_t>(((0xC000 | 500) / 2) & 0x1FFF)},                  // mode 1
        {1000, 16383, 3000, 500},                                                     // mode 2
        {1000, 16383, 2000, 0},                                                       // mode 3
        {1000, 16383, 0, 0},
    };
    for (int mode = 0; mode < 5; ++mode) {
        std::uint16_t image[4];
        std::copy(input, input + 4, image);
        ASSERT_TRUE(engine.ClearBitMaskImage(reinterpret_cast<std::int16_t*>(image), 4, mode));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(image[i], expected[mode][i]) << "mode " << mode << " sample " << i;
    }
}

TEST(PolygonImage, InsideIncludesTheOutlineAndAnOpenOutlineEnclosesNothing)
{
    VazAZUrorav engine;
    const int W = 12, H = 10;
    // A square closed by repeating its first point.
    const std::int32_t square[10] = {2, 2, 8, 2, 8, 6, 2, 6, 2, 2};
    std::vector<std::uint8_t> image(W * H, 9);
    ASSERT_TRUE(engine.GetByteImageBitMaskFreePoints(image.data(), W, H, 0, 5, square));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            EXPECT_EQ(image[static_cast<std::size_t>(y) * W + x], (x >= 2 && x <= 8 && y >= 2 && y <= 6) ? 1 : 0)
                << "pixel " << x << "," << y;
    ASSERT_TRUE(engine.GetByteImageBitMaskFreePoints(image.data(), W, H, 1, 5, square));
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(image[static_cast<std::size_t>(4) * W + 5], 0);
    // Without the repeated point no side joins the last point to the first:
    // the interior meets the outside through the gap; only the three drawn
    // sides are inside.
    ASSERT_TRUE(engine.GetByteImageBitMaskFreePoints(image.data(), W, H, 0, 4, square));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const bool onSide = (y == 2 && x >= 2 && x <= 8) || (x == 8 && y >= 2 && y <= 6) ||
                                (y == 6 && x >= 2 && x <= 8);
            EXPECT_EQ(image[static_cast<std::size_t>(y) * W + x], onSide ? 1 : 0) << "open, pixel " << x << "," << y;
        }
    // A diagonal outline: the 8-connected line still holds the fill back.
    const std::int32_t diamond[10] = {5, 0, 10, 5, 5, 10, 0, 5, 5, 0};
    std::vector<std::uint8_t> diagonal(11 * 11, 0);
    ASSERT_TRUE(engine.GetByteImageBitMaskFreePoints(diagonal.data(), 11, 11, 0, 5, diamond));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(diagonal[static_cast<std::size_t>(y) * 11 + x], std::abs(x - 5) + std::abs(y - 5) <= 5 ? 1 : 0)
                << x << "," << y;
}

TEST_F(MaskedEngine, FreePointsPrismMatchesThePolygonImage)
{
    const std::int32_t triangle[8] = {1, 1, 10, 2, 3, 8, 1, 1};
    std::vector<std::uint8_t> polygon(static_cast<std::size_t>(volume.X) * volume.Y);
    ASSERT_TRUE(engine.GetByteImageBitMaskFreePoints(polygon.data(), volume.X, volume.Y, 0, 4, triangle));
    ASSERT_TRUE(engine.SetBitMaskFreePoints(1, 4, triangle, 1.0f, 6.0f, IdentityMatrix));
    const auto prism = afterStep(std::vector<int>(volume.v.size(), 0), [&](int x, int y, int z, int) {
        return polygon[static_cast<std::size_t>(y) * volume.X + x] != 0 && z > 1 && z < 6;
    });
    EXPECT_EQ(agesOf(engine), prism);
    // Depth bounds far beyond the volume: every slice lies between them.
    ASSERT_TRUE(engine.SetBitMaskFreePoints(0, 4, triangle, -1.0e30f, 1.0e30f, IdentityMatrix));
    EXPECT_EQ(agesOf(engine), afterStep(prism, [&](int x, int y, int, int) {
                  return polygon[static_cast<std::size_t>(y) * volume.X + x] == 0;
              }));
}

TEST_F(MaskedEngine, MarkFlagsSetAndClearWithoutTouchingMasks)
{
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 1000));
    const auto ages = agesOf(engine);
    ASSERT_TRUE(engine.SetMarkFlagSphere(5, 5, 4, 3, 3, 2, IdentityMatrix, 2));
    const auto inside = [](int x, int y, int z) {
        return (x - 5) * (x - 5) / 9.0 + (y - 5) * (y - 5) / 9.0 + (z - 4) * (z - 4) / 4.0 < 1.0;
    };
    auto samples = samplesOf(engine);
    for (int z = 0; z < volume.Z; ++z)
        for (int y = 0; y < volume.Y; ++y)
            for (int x = 0; x < volume.X; ++x)
                EXPECT_EQ((samples[index(x, y, z)] >> 12) & 3, inside(x, y, z) ? 2 : 0) << x << "," << y << "," << z;
    EXPECT_EQ(agesOf(engine), ages);
    ASSERT_TRUE(engine.SetMarkFlagSphere(5, 5, 4, 2, 2, 2, IdentityMatrix, 0));
    samples = samplesOf(engine);
    EXPECT_EQ((samples[index(5, 5, 4)] >> 12) & 3, 0);
    EXPECT_EQ((samples[index(7, 5, 4)] >> 12) & 3, 2);
    EXPECT_EQ(agesOf(engine), ages);
    ASSERT_TRUE(engine.SetMarkFlagClear(0));
    for (std::size_t i = 0; i < volume.v.size(); ++i)
        EXPECT_EQ(samplesOf(engine)[i] & 0x3FFF, volume.v[i]);
    EXPECT_EQ(agesOf(engine), ages);
}

TEST(BitMaskVolume, VisibleBoxFollowsTheVisibleVoxels)
{
    std::vector<std::uint16_t> samples(6 * 5 * 4, 100);
    zvipengine::MaskVolume v{samples.data(), 6, 5, 4};
    std::int32_t count = 0;
    std::int32_t box[6] = {0, 0, 0, 0, 0, 0};
    zvipengine::BitMaskVolume masks(v, count, box, 2);
    // Keep only the voxels of x 2..3, y 1..4, z 1..2.
    ASSERT_TRUE(masks.applyStep([&](std::int32_t y, std::int32_t z, const std::uint16_t*, std::uint8_t* selected) {
        for (int x = 0; x < 6; ++x)
            selected[x] = (x >= 2 && x <= 3 && y >= 1 && z >= 1 && z <= 2) ? 0 : 1;
    }));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(std::vector<std::int32_t>(box, box + 6), (std::vector<std::int32_t>{2, 3, 1, 4, 1, 2}));
    ASSERT_TRUE(masks.applyStep([](std::int32_t, std::int32_t, const std::uint16_t*, std::uint8_t* selected) {
        std::fill(selected, selected + 6, std::uint8_t{1});
    }));
    EXPECT_EQ(std::vector<std::int32_t>(box, box + 6), (std::vector<std::int32_t>{5, 0, 4, 0, 3, 0}));
    EXPECT_TRUE(masks.box().empty());
    masks.undo();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(std::vector<std::int32_t>(box, box + 6), (std::vector<std::int32_t>{2, 3, 1, 4, 1, 2}));
    masks.clear();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(std::vector<std::int32_t>(box, box + 6), (std::vector<std::int32_t>{0, 5, 0, 4, 0, 3}));
}

} // namespace

namespace {

// Volumes of a million voxels and more are split over two threads; the
// halves must give the result of one pass.
TEST(BitMaskLargeVolume, TwoThreadStepsMatchBruteForce)
{
    VazAZUrorav engine;
    const reference::Volume v = reference::randomVolume(128, 128, 66, 17, 3000);
    ASSERT_TRUE(loadIntoEngine(engine, v));
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 1500));
    ASSERT_TRUE(engine.SetBitMaskSphere(0, 60, 70, 30, 40, 30, 20, IdentityMatrix));
    const auto ages = agesOf(engine);
    std::size_t i = 0;
    int mismatches = 0;
    for (int z = 0; z < v.Z; ++z)
        for (int y = 0; y < v.Y; ++y)
            for (int x = 0; x < v.X; ++x, ++i) {
                const bool first = v.v[i] <= 1500;
                const double d = (x - 60) * (x - 60) / 1600.0 + (y - 70) * (y - 70) / 900.0 + (z - 30) * (z - 30) / 400.0;
                const int expected = first ? 2 : (d < 1.0 ? 0 : 1);
                mismatches += ages[i] != expected ? 1 : 0;
            }
    EXPECT_EQ(mismatches, 0);
    // Everything visible lies in the box the step found: a seed outside the
    // sphere's box is refused, one inside is taken.
    EXPECT_FALSE(engine.SetMarkFlagRegionGrowingPoint(10, 10, 0, 0, 5, 5, 5, 1));
    EXPECT_TRUE(engine.SetMarkFlagRegionGrowingPoint(10, 10, 0, 0, 60, 70, 30, 1));
    ASSERT_TRUE(engine.UndoBitMask());
    ASSERT_TRUE(engine.UndoBitMask());
    EXPECT_FALSE(engine.BitMaskFlag());
    EXPECT_EQ(agesOf(engine), std::vector<int>(v.v.size(), 0));
}

} // namespace
