#include "ZVImgViewer/WindowMapping.h"

#include <gtest/gtest.h>

TEST(WindowMapping, LungWindowOfFortyAndFourHundred)
{
    EXPECT_EQ(WindowMapping::greyValue(-160, 40, 400), 0);
    EXPECT_EQ(WindowMapping::greyValue(40, 40, 400), 127);
    EXPECT_EQ(WindowMapping::greyValue(240, 40, 400), 255);
    EXPECT_EQ(WindowMapping::greyValue(-1000, 40, 400), 0);
    EXPECT_EQ(WindowMapping::greyValue(-32768, 40, 400), 0);
    EXPECT_EQ(WindowMapping::greyValue(1000, 40, 400), 255);
    EXPECT_EQ(WindowMapping::greyValue(32767, 40, 400), 255);
    // Just inside the window: truncation, not rounding.
    EXPECT_EQ(WindowMapping::greyValue(-159, 40, 400), 0);
    EXPECT_EQ(WindowMapping::greyValue(-158, 40, 400), 1);
    EXPECT_EQ(WindowMapping::greyValue(239, 40, 400), 254);
}

TEST(WindowMapping, OddWidthHalvesByTruncation)
{
    // WW 401 adds 200, not 200.5 or 201.
    EXPECT_EQ(WindowMapping::greyValue(-160, 40, 401), 0);
    EXPECT_EQ(WindowMapping::greyValue(240, 40, 401), 254);
    EXPECT_EQ(WindowMapping::greyValue(241, 40, 401), 255);
    EXPECT_EQ(WindowMapping::greyValue(40, 40, 401), 127);
    EXPECT_EQ(WindowMapping::greyValue(41, 40, 401), 127);
    EXPECT_EQ(WindowMapping::greyValue(42, 40, 401), 128);
}

TEST(WindowMapping, WidthBelowOneActsAsOne)
{
    for (std::int32_t width : {1, 0, -5, -2147483647 - 1}) {
        SCOPED_TRACE(width);
        EXPECT_EQ(WindowMapping::greyValue(99, 100, width), 0);
        EXPECT_EQ(WindowMapping::greyValue(100, 100, width), 0);
        EXPECT_EQ(WindowMapping::greyValue(101, 100, width), 255);
    }
}

TEST(WindowMapping, TableMatchesFormulaForEverySample)
{
    WindowMapping mapping;
    const std::int32_t windows[][2] = {{40, 400},  {1064, 401}, {500, 1000}, {-600, 1500}, {100, 0},
                                       {0, 65535}, {2147483647, 2147483647}, {-2147483647, 3}, {32767, 1}};
    for (const auto& window : windows) {
        SCOPED_TRACE(::testing::Message() << "WL " << window[0] << " WW " << window[1]);
        mapping.configure(window[0], window[1]);
        int mismatches = 0;
        for (std::int32_t sample = -32768; sample <= 32767; ++sample)
            mismatches += mapping(static_cast<std::int16_t>(sample)) != WindowMapping::greyValue(sample, window[0], window[1]);
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(WindowMapping, IsMonotonicAcrossTheWindow)
{
    WindowMapping mapping;
    mapping.configure(1064, 1500);
    std::uint8_t previous = 0;
    for (std::int32_t sample = -32768; sample <= 32767; ++sample) {
        const std::uint8_t grey = mapping(static_cast<std::int16_t>(sample));
        ASSERT_GE(grey, previous) << sample;
        previous = grey;
    }
    EXPECT_EQ(mapping(1064 - 750), 0);
    EXPECT_EQ(mapping(1064 + 750), 255);
}
