// The nodule measurement of the visible region against sums and an
// all-pairs diameter search written here.
#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Declares the volume with base offset -1024, so that the outputs come in
// the CT scale (stored value - 1024).
void loadWithOffset(VazAZUrorav& engine, const reference::Volume& v)
{
    ASSERT_TRUE(engine.SetDataProfile(v.X, v.Y, v.Z, v.sx, v.sy, v.sz, 1.0, -1024));
    const std::size_t slice = static_cast<std::size_t>(v.X) * v.Y;
    for (int z = 0; z < v.Z; ++z)
        ASSERT_TRUE(engine.SetDicomImage(v.v.data() + slice * z, z + 1, 1.0, -1024.0, -z * v.sz));
}

TEST(NoduleMeasurement, SingleVisibleVoxel)
{
    VazAZUrorav engine;
    reference::Volume v = reference::randomVolume(8, 7, 6, 3, 3000);
    v.sx = 0.5;
    v.sy = 0.75;
    v.sz = 2.0;
    loadWithOffset(engine, v);
    // Everything but voxel (4, 3, 2).
    ASSERT_TRUE(engine.SetBitMaskSphere(0, 4, 3, 2, 0.5f, 0.5f, 0.5f, IdentityMatrix));
    float value[4] = {-9, -9, -9, -9};
    std::int32_t histogram[512];
    float measure[8];
    std::int16_t profile[5] = {9, 9, 9, 9, 9};
    ASSERT_TRUE(engine.GetNoduleProperty(value, 4, histogram, 512, measure, 8, profile, 5));
    const int stored = v.at(4, 3, 2);
    EXPECT_FLOAT_EQ(value[0], stored - 1024.0f);
    EXPECT_FLOAT_EQ(value[1], 0.0f);
    EXPECT_FLOAT_EQ(value[2], stored - 1024.0f);
    EXPECT_FLOAT_EQ(value[3], stored - 1024.0f);
    EXPECT_FLOAT_EQ(measure[0], std::fabs(engine.Xspacing() * engine.Yspacing() * engine.Zspacing()));
    EXPECT_FLOAT_EQ(measure[1], 0.0f);
    EXPECT_EQ(measure[2], 4);
    EXPECT_EQ(measure[3], 3);
    EXPECT_EQ(measure[4], 2);
    for (const std::int16_t p : profile)
        EXPECT_EQ(p, 0);
    for (int b = 0; b < 512; ++b)
        EXPECT_EQ(histogram[b], b == stored / 8 ? 1 : 0);
}

TEST(NoduleMeasurement, BlobStatisticsAndLargestDiameter)
{
    VazAZUrorav engine;
    reference::Volume v = reference::randomVolume(20, 18, 12, 8, 4500);
    v.sx = 0.7;
    v.sy = 0.7;
    v.sz = 1.5;
    loadWithOffset(engine, v);
    const float M[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ASSERT_TRUE(engine.SetBitMaskSphere(0, 9, 8, 5, 6.5f, 4.5f, 3.5f, M));
    ASSERT_TRUE(engine.SetBitMaskThreshold(0, 0, 300)); // holes inside
    const auto samples = samplesOf(engine);
    const int X = v.X, Y = v.Y, Z = v.Z;
    const auto visible = [&](int x, int y, int z) {
        return x >= 0 && y >= 0 && z >= 0 && x < X && y < Y && z < Z &&
               (samples[(static_cast<std::size_t>(z) * Y + y) * X + x] >> 14) == 0;
    };
    double n = 0, sum = 0, squares = 0;
    int lowest = 32767, highest = 0;
    std::vector<int> histogram(512, 0);
    std::vector<std::array<int, 3>> surface;
    for (int z = 0; z < Z; ++z)
        for (int y = 0; y < Y; ++y)
            for (int x = 0; x < X; ++x) {
                if (!visible(x, y, z))
                    continue;
                const int value = v.at(x, y, z);
                n += 1;
                sum += value;
                squares += double(value) * value;
                lowest = std::min(lowest, value);
                highest = std::max(highest, value);
                ++histogram[static_cast<std::size_t>(std::min(value / 8, 511))];
                if (!(visible(x - 1, y, z) && visible(x + 1, y, z) && visible(x, y - 1, z) && visible(x, y + 1, z) &&
                      visible(x, y, z - 1) && visible(x, y, z + 1)))
                    surface.push_back({x, y, z});
            }
    double best = 0;
    const double s[3] = {engine.Xspacing(), engine.Yspacing(), engine.Zspacing()};
    for (std::size_t a = 0; a < surface.size(); ++a)
        for (std::size_t b = a + 1; b < surface.size(); ++b) {
            double d = 0;
            for (int k = 0; k < 3; ++k)
                d += std::pow((surface[a][k] - surface[b][k]) * s[k], 2);
            best = std::max(best, std::sqrt(d));
        }
    float value[4];
    std::int32_t bins[600];
    std::fill(bins, bins + 600, -1);
    float measure[8];
    std::int16_t profile[9];
    ASSERT_TRUE(engine.GetNoduleProperty(value, 4, bins, 600, measure, 8, profile, 9));
    EXPECT_NEAR(value[0], sum / n - 1024, 1e-2);
    EXPECT_NEAR(value[1], std::sqrt((squares - sum * sum / n) / n), 1e-2);
    EXPECT_FLOAT_EQ(value[2], lowest - 1024.0f);
    EXPECT_FLOAT_EQ(value[3], highest - 1024.0f);
    EXPECT_NEAR(measure[0], n * s[0] * s[1] * std::fabs(s[2]), 1e-2);
    EXPECT_NEAR(measure[1], best, 1e-4);
    for (int b = 0; b < 512; ++b)
        EXPECT_EQ(bins[b], histogram[static_cast<std::size_t>(b)]) << b;
    EXPECT_EQ(bins[512], -1); // only the first 512 counters are written
    // The end points are surface voxels that far apart.
    double d = 0;
    for (int k = 0; k < 3; ++k)
        d += std::pow((measure[2 + k] - measure[5 + k]) * s[k], 2);
    EXPECT_NEAR(std::sqrt(d), best, 1e-4);
    const auto profileAt = [&](int k) {
        int p[3];
        for (int a = 0; a < 3; ++a)
            p[a] = static_cast<int>(std::floor(measure[2 + a] + (measure[5 + a] - measure[2 + a]) * k / 8.0 + 0.5));
        return visible(p[0], p[1], p[2]) ? v.at(p[0], p[1], p[2]) : 0;
    };
    EXPECT_EQ(profile[0], profileAt(0));
    EXPECT_EQ(profile[8], profileAt(8));
    EXPECT_EQ(profile[4], profileAt(4));
}

TEST(NoduleMeasurement, CountsLimitWhatIsWrittenAndNothingVisibleGivesZeros)
{
    VazAZUrorav engine;
    reference::Volume v = reference::randomVolume(6, 6, 6, 4, 2000);
    loadWithOffset(engine, v);
    ASSERT_TRUE(engine.SetBitMaskThreshold(1, 5000, 5000)); // masks everything
    float value[4] = {7, 7, 7, 7};
    float measure[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    std::int32_t bins[2] = {7, 7};
    ASSERT_TRUE(engine.GetNoduleProperty(value, 3, bins, 1, measure, 2, nullptr, 0));
    EXPECT_EQ(value[0], 7); // fewer than four: not written
    EXPECT_EQ(bins[0], 7);
    EXPECT_EQ(measure[0], 0);
    EXPECT_EQ(measure[1], 0);
    EXPECT_EQ(measure[2], 7);
    ASSERT_TRUE(engine.GetNoduleProperty(value, 4, bins, 2, measure, 8, nullptr, 0));
    for (const float f : value)
        EXPECT_EQ(f, 0);
    EXPECT_EQ(bins[0], 0);
}

} // namespace

namespace {

TEST(NoduleMeasurement, ABoxAboveFourMillionVoxelsGivesZeros)
{
    VazAZUrorav engine;
    reference::Volume v;
    v.X = 200;
    v.Y = 200;
    v.Z = 101; // 4,040,000 voxels, all visible
    v.v.assign(static_cast<std::size_t>(v.X) * v.Y * v.Z, 1500);
    loadWithOffset(engine, v);
    float value[4] = {7, 7, 7, 7};
    float measure[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    std::int32_t bins[4] = {7, 7, 7, 7};
    std::int16_t profile[3] = {7, 7, 7};
    ASSERT_TRUE(engine.GetNoduleProperty(value, 4, bins, 4, measure, 8, profile, 3));
    for (const float f : value)
        EXPECT_EQ(f, 0);
    for (const float f : measure)
        EXPECT_EQ(f, 0);
    for (const std::int32_t b : bins)
        EXPECT_EQ(b, 0);
    for (const std::int16_t p : profile)
        EXPECT_EQ(p, 0);
    // One slice masked away: a box of exactly four million voxels is measured.
    ASSERT_TRUE(engine.SetBitMaskRectangle(1, -1, 200, -1, 200, 99.5f, 101, IdentityMatrix));
    ASSERT_TRUE(engine.GetNoduleProperty(value, 4, bins, 4, measure, 2, nullptr, 0));
    EXPECT_FLOAT_EQ(value[0], 1500 - 1024);
    EXPECT_FLOAT_EQ(measure[0], 4000000.0f);
}

} // namespace
