#include "ZVImgViewer/BilinearResampler.h"

#include "ResamplingReference.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::int16_t> randomSamples(int width, int height, unsigned seed, int lowest = -32768, int highest = 32767)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> value(lowest, highest);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(width) * height);
    for (auto& sample : samples)
        sample = static_cast<std::int16_t>(value(generator));
    return samples;
}

} // namespace

TEST(BilinearResampler, SixteenBitMatchesReferenceForEnlargingAndReducing)
{
    const int sizes[][4] = {{7, 5, 13, 11}, {5, 5, 3, 3}, {512, 3, 1024, 7}, {3, 4, 1, 1}, {1, 1, 4, 3},
                            {10, 10, 10, 10}, {2, 9, 17, 2}, {33, 17, 64, 100}};
    unsigned seed = 1;
    for (const auto& size : sizes) {
        SCOPED_TRACE(::testing::Message() << size[0] << "x" << size[1] << " -> " << size[2] << "x" << size[3]);
        // CT-like stored values and full-range values with negatives.
        for (const auto& range : {std::pair{0, 4095}, std::pair{-32768, 32767}}) {
            const auto source = randomSamples(size[0], size[1], seed++, range.first, range.second);
            std::vector<std::int16_t> target(static_cast<std::size_t>(size[2]) * size[3]);
            BilinearResampler::resample(source.data(), size[0], size[1], target.data(), size[2], size[3]);
            const auto expected = referenceResample(source, size[0], size[1], size[2], size[3]);
            int mismatches = 0;
            for (std::size_t i = 0; i < target.size(); ++i)
                mismatches += target[i] != expected[i];
            EXPECT_EQ(mismatches, 0);
        }
    }
}

TEST(BilinearResampler, EightBitMatchesReference)
{
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> value(0, 255);
    std::vector<std::uint8_t> source(9 * 6);
    for (auto& sample : source)
        sample = static_cast<std::uint8_t>(value(generator));
    std::vector<std::uint8_t> target(20 * 15);
    BilinearResampler::resample(source.data(), 9, 6, target.data(), 20, 15);
    const auto expected = referenceResample(source, 9, 6, 20, 15);
    for (std::size_t i = 0; i < target.size(); ++i)
        ASSERT_EQ(target[i], expected[i]) << i;
}

TEST(BilinearResampler, CornersAlignAndSameSizeIsIdentity)
{
    const auto source = randomSamples(6, 4, 3);
    std::vector<std::int16_t> large(11 * 9);
    BilinearResampler::resample(source.data(), 6, 4, large.data(), 11, 9);
    EXPECT_EQ(large[0], source[0]);
    EXPECT_EQ(large[10], source[5]);
    EXPECT_EQ(large[8 * 11], source[3 * 6]);
    EXPECT_EQ(large[8 * 11 + 10], source[3 * 6 + 5]);

    std::vector<std::int16_t> same(6 * 4);
    BilinearResampler::resample(source.data(), 6, 4, same.data(), 6, 4);
    EXPECT_EQ(same, source);
}

TEST(BilinearResampler, MidpointsAreMeansPlusTheHundredth)
{
    // 2 -> 3 columns: the middle column is halfway; 0.5 * 1 + 0.5 * 2 = 1.5 -> 1.
    const std::vector<std::int16_t> source = {1, 2, 1, 2};
    std::vector<std::int16_t> target(3 * 2);
    BilinearResampler::resample(source.data(), 2, 2, target.data(), 3, 2);
    EXPECT_EQ(target, (std::vector<std::int16_t>{1, 1, 2, 1, 1, 2}));
    // Negative samples round down like the others (-1.5 -> -2) and an exact
    // negative sample stays itself.
    const std::vector<std::int16_t> negative = {-1, -2};
    std::vector<std::int16_t> mixed(3);
    BilinearResampler::resample(negative.data(), 2, 1, mixed.data(), 3, 1);
    EXPECT_EQ(mixed, (std::vector<std::int16_t>{-1, -2, -2}));
    // A mix across zero lies between the samples (not near 32767).
    const std::vector<std::int16_t> acrossZero = {-1, 0};
    BilinearResampler::resample(acrossZero.data(), 2, 1, mixed.data(), 3, 1);
    EXPECT_EQ(mixed, (std::vector<std::int16_t>{-1, -1, 0}));
}

TEST(BilinearResampler, AxisTables)
{
    const auto axis = BilinearResampler::makeAxis(512, 1024);
    ASSERT_EQ(axis.index.size(), 1024u);
    EXPECT_EQ(axis.index[0], 0);
    EXPECT_EQ(axis.index[1023], 511);
    EXPECT_EQ(axis.next[1023], 511); // the last column is its own right neighbour
    EXPECT_FLOAT_EQ(axis.fraction[1023], 0.0f);
    EXPECT_FLOAT_EQ(axis.fraction[1], 511.0f / 1023.0f);
    // A one-pixel target does not divide by zero.
    const auto single = BilinearResampler::makeAxis(10, 1);
    ASSERT_EQ(single.index.size(), 1u);
    EXPECT_EQ(single.index[0], 0);
    EXPECT_TRUE(BilinearResampler::makeAxis(0, 5).index.empty());
    EXPECT_TRUE(BilinearResampler::makeAxis(5, 0).index.empty());
}
