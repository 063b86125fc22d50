#include "ZVImgViewer/ImageSamples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

std::vector<std::int16_t> numbered(int width, int height)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            samples[static_cast<std::size_t>(y) * width + x] = static_cast<std::int16_t>(100 * y + x);
    return samples;
}

} // namespace

TEST(ImageSamples, CopyModeCopiesAndZeroShowsTheHostMemory)
{
    auto host = numbered(30, 25);
    const std::int32_t dims[2] = {30, 25};
    ImageSamples copied;
    ASSERT_TRUE(copied.setImageData(host.data(), 2, dims, 1, false));
    EXPECT_NE(copied.address(), host.data());
    EXPECT_EQ(copied.knownLength(), 30u * 25u * 2u);
    ImageSamples borrowed;
    ASSERT_TRUE(borrowed.setImageData(host.data(), 2, dims, 0, false));
    EXPECT_EQ(borrowed.address(), host.data());
    EXPECT_EQ(borrowed.knownLength(), ImageSamples::unknownLength);

    host[20 * 30 + 10] = -777;
    EXPECT_EQ(copied.shortValue(10.0f, 20.0f), 2010);
    EXPECT_EQ(borrowed.shortValue(10.0f, 20.0f), -777);

    // Copying the copy that is shown (the host hands back hImage) is safe.
    const void* previous = copied.address();
    ASSERT_TRUE(copied.setImageData(copied.address(), 2, dims, 1, false));
    EXPECT_NE(copied.address(), previous);
    EXPECT_EQ(copied.shortValue(10.0f, 20.0f), 2010);
}

TEST(ImageSamples, DimensionsBeyondThreeAreCutAndMissingOnesAreOne)
{
    auto host = numbered(4, 6);
    ImageSamples samples;
    const std::int32_t five[5] = {4, 3, 2, 1000000, 1000000};
    ASSERT_TRUE(samples.setImageData(host.data(), 5, five, 1, false));
    EXPECT_EQ(samples.width(), 4);
    EXPECT_EQ(samples.height(), 3);
    EXPECT_EQ(samples.depth(), 2);
    EXPECT_EQ(samples.knownLength(), 4u * 3u * 2u * 2u);

    const std::int32_t one[1] = {24};
    ASSERT_TRUE(samples.setImageData(host.data(), 1, one, 1, false));
    EXPECT_EQ(samples.width(), 24);
    EXPECT_EQ(samples.height(), 1);
    EXPECT_EQ(samples.depth(), 1);
    ASSERT_TRUE(samples.setImageData(host.data(), 0, nullptr, 0, false));
    EXPECT_EQ(samples.width(), 1);
    EXPECT_EQ(samples.height(), 1);

    // Colour planes are 3 x W x H bytes: more than 2 x W x H.
    const std::int32_t colour[2] = {4, 2};
    ASSERT_TRUE(samples.setImageData(host.data(), 2, colour, 1, true));
    EXPECT_EQ(samples.knownLength(), 24u);
}

TEST(ImageSamples, RefusedDataLeavesEverythingAsItWas)
{
    auto host = numbered(8, 8);
    const std::int32_t good[2] = {8, 8};
    ImageSamples samples;
    ASSERT_TRUE(samples.setImageData(host.data(), 2, good, 1, false));
    const void* shown = samples.address();

    const std::int32_t zero[2] = {0, 8};
    const std::int32_t negative[2] = {8, -1};
    const std::int32_t huge[3] = {65536, 65536, 4};
    EXPECT_FALSE(samples.setImageData(host.data(), 2, zero, 1, false));
    EXPECT_FALSE(samples.setImageData(host.data(), 2, negative, 0, false));
    EXPECT_FALSE(samples.setImageData(host.data(), 3, huge, 1, false)); // no allocation attempted
    EXPECT_FALSE(samples.setImageData(nullptr, 2, good, 1, false));
    EXPECT_FALSE(samples.setImageData(host.data(), 2, nullptr, 1, false));
    EXPECT_EQ(samples.address(), shown);
    EXPECT_EQ(samples.width(), 8);
    EXPECT_EQ(samples.height(), 8);
    EXPECT_EQ(samples.shortValue(3.0f, 4.0f), 403);
}

TEST(ImageSamples, GetBufferHandsOutAndTakesBackItsBlock)
{
    ImageSamples samples;
    std::int16_t* first = samples.getBuffer(64, 32);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first[0], 0);
    first[64 * 32 - 1] = 9; // the whole block is usable
    samples.setAddress(first);
    samples.setWidth(64);
    samples.setHeight(32);
    EXPECT_EQ(samples.knownLength(), 64u * 32u * 2u);

    // The next block replaces it; the samples shown do not point into freed memory.
    std::int16_t* second = samples.getBuffer(10, 10);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(samples.address(), nullptr);
    EXPECT_EQ(samples.shortValue(1.0f, 1.0f), -1);

    EXPECT_EQ(samples.getBuffer(0, 10), nullptr);
    EXPECT_EQ(samples.getBuffer(-4, 10), nullptr);
    EXPECT_EQ(samples.getBuffer(100000, 100000), nullptr);
}

TEST(ImageSamples, ShortValueAtPositions)
{
    auto host = numbered(30, 25);
    host[20 * 30 + 10] = -7;
    host[20 * 30 + 11] = -10;
    const std::int32_t dims[2] = {30, 25};
    ImageSamples samples;
    EXPECT_EQ(samples.shortValue(1.0f, 1.0f), -1); // nothing shown yet
    ASSERT_TRUE(samples.setImageData(host.data(), 2, dims, 0, false));

    EXPECT_EQ(samples.shortValue(10.0f, 20.0f), -7);
    // Mean of -7 and -10 is -8.5, truncated toward zero.
    EXPECT_EQ(samples.shortValue(10.5f, 20.0f), -8);
    EXPECT_EQ(samples.shortValue(3.5f, 2.0f), 203);
    // Both fractions near whole numbers: the nearest sample.
    EXPECT_EQ(samples.shortValue(3.995f, 2.005f), 204);
    EXPECT_EQ(samples.shortValue(3.005f, 1.995f), 203);
    // Bilinear inside a cell: weights (1-fx)(1-fy), fx(1-fy), (1-fx)fy and the rest.
    const float fx = 0.25f;
    const float fy = 0.75f;
    const float w00 = (1 - fx) * (1 - fy);
    const float w10 = fx * (1 - fy);
    const float w01 = (1 - fx) * fy;
    const float w11 = 1 - w00 - w10 - w01;
    const float expected = w00 * 506 + w10 * 507 + w01 * 606 + w11 * 607;
    EXPECT_EQ(samples.shortValue(6.25f, 5.75f), static_cast<std::int16_t>(std::trunc(expected)));

    // The last column and row have no right or lower neighbour: outside.
    EXPECT_EQ(samples.shortValue(29.0f, 3.0f), -1);
    EXPECT_EQ(samples.shortValue(3.0f, 24.0f), -1);
    EXPECT_EQ(samples.shortValue(28.9f, 3.0f), 328); // 0.1 * 328 + 0.9 * 329, truncated
    EXPECT_EQ(samples.shortValue(-1.5f, 3.0f), -1);
    EXPECT_EQ(samples.shortValue(3.0f, -2.0f), -1);
    EXPECT_EQ(samples.shortValue(1e30f, 3.0f), -1);
    EXPECT_EQ(samples.shortValue(3.0f, -1e30f), -1);
    EXPECT_EQ(samples.shortValue(std::numeric_limits<float>::quiet_NaN(), 3.0f), -1);
    EXPECT_EQ(samples.shortValue(3.0f, std::numeric_limits<float>::infinity()), -1);

    // Rows are ImageWidth samples long, whatever was set later.
    samples.setWidth(15);
    EXPECT_EQ(samples.shortValue(0.0f, 2.0f), 100);
}
