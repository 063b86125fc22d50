// Reordering of the slices: the four orderings, deletion, checks and the
// records that move with their slices.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// One-pixel slices whose value is the image number, so the order of the
// samples shows where every slice went.
void loadSlices(VazAZUrorav& engine, const std::vector<int>& imageNumbers, const std::vector<double>& positions)
{
    ASSERT_TRUE(engine.SetDataProfile(1, 1, static_cast<int>(imageNumbers.size()), 1.0, 1.0, 1.0, 1.0, 0));
    for (std::size_t i = 0; i < imageNumbers.size(); ++i) {
        const std::int16_t value = static_cast<std::int16_t>(imageNumbers[i]);
        ASSERT_TRUE(engine.SetDicomImage(&value, imageNumbers[i], 1.0, 0.0, positions[i]));
    }
}

std::vector<int> samplesInOrder(const VazAZUrorav& engine, int count)
{
    std::vector<int> out;
    for (int z = 0; z < count; ++z)
        out.push_back(engine.PtrData()[z]);
    return out;
}

std::vector<int> imageNumbersInOrder(const VazAZUrorav& engine, int count)
{
    std::vector<int> out;
    for (int z = 0; z < count; ++z)
        out.push_back(engine.GetImageNumber(z));
    return out;
}

TEST(SortSlicePosition, OrdersByPositionLargestFirstAndSetsSpacing)
{
    VazAZUrorav engine;
    loadSlices(engine, {3, 1, 4, 2}, {-10.0, 0.0, -15.0, -5.0});
    ASSERT_TRUE(engine.SortSlicePosition(0));
    EXPECT_EQ(engine.Zdims(), 4);
    EXPECT_EQ(samplesInOrder(engine, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(imageNumbersInOrder(engine, 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(3), -15.0);
    EXPECT_FLOAT_EQ(engine.Zspacing(), -5.0f);
    EXPECT_EQ(engine.CheckData(0), 0);
}

TEST(SortSlicePosition, GroupsSharingAPositionAndSortMode)
{
    VazAZUrorav engine;
    loadSlices(engine, {7, 3, 9}, {0.0, 0.0, -5.0});
    ASSERT_TRUE(engine.SortSlicePosition(1));
    // (0, #3), (0, #7), (-5, #9): #7 is kept because it is second in order.
    EXPECT_EQ(engine.Zdims(), 3);
    EXPECT_EQ(imageNumbersInOrder(engine, 3), (std::vector<int>{3, 7, 9}));
    EXPECT_FLOAT_EQ(engine.Zspacing(), 1.0f);

    // Mode 2 over four distinct positions keeps the forced second slice and
    // the last one, which is not examined.
    loadSlices(engine, {1, 2, 3, 4}, {30.0, 20.0, 10.0, 0.0});
    ASSERT_TRUE(engine.SortSlicePosition(2));
    EXPECT_EQ(engine.Zdims(), 2);
    EXPECT_EQ(imageNumbersInOrder(engine, 2), (std::vector<int>{2, 4}));
    EXPECT_EQ(samplesInOrder(engine, 2), (std::vector<int>{2, 4}));

    // Mode 2 over pairs keeps the second of each pair.
    loadSlices(engine, {1, 2, 3, 4, 5}, {10.0, 10.0, 0.0, 0.0, -10.0});
    ASSERT_TRUE(engine.SortSlicePosition(2));
    EXPECT_EQ(imageNumbersInOrder(engine, engine.Zdims()), (std::vector<int>{2, 4, 5}));

    // Missing positions (NaN) sort last and never upset the ordering.
    loadSlices(engine, {1, 2, 3}, {std::numeric_limits<double>::quiet_NaN(), 5.0, 9.0});
    ASSERT_TRUE(engine.SortSlicePosition(0));
    EXPECT_EQ(imageNumbersInOrder(engine, 3), (std::vector<int>{3, 2, 1}));
}

TEST(Reorder, ImageNumberInitializeAndRecordsFollowTheirSlices)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDICOMProfile(1, 1, 3, 1.0, 1.0, -1.0, 1, 0, 0, 0, 1, 0, 1.0, 0.0));
    const std::int16_t a = 30, b = 10, c = 20;
    ASSERT_TRUE(engine.SetDicomImageInfo(&a, 0, 30, 1.0, 0.0, 0.0, 0.0, 3.0));
    ASSERT_TRUE(engine.SetDicomImageInfo(&b, 0, 10, 1.0, 0.0, 0.0, 0.0, 1.0));
    ASSERT_TRUE(engine.SetDicomImageInfo(&c, 0, 20, 1.0, 0.0, 0.0, 0.0, 2.0));
    ASSERT_TRUE(engine.SortImageNumber(0));
    EXPECT_EQ(samplesInOrder(engine, 3), (std::vector<int>{10, 20, 30}));
    // Image positions move with their slices.
    EXPECT_DOUBLE_EQ(engine.GetValueImagePosition(0, 2), 1.0);
    EXPECT_DOUBLE_EQ(engine.GetValueImagePosition(2, 2), 3.0);
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(0), -2.0);
    ASSERT_TRUE(engine.SortInitialize());
    EXPECT_EQ(samplesInOrder(engine, 3), (std::vector<int>{30, 10, 20}));
    EXPECT_DOUBLE_EQ(engine.GetValueImagePosition(0, 2), 3.0);
    EXPECT_FALSE(VazAZUrorav().SortInitialize());
}

TEST(Reorder, ReverseOrderedVolumeSortsBack)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDICOMProfile(1, 1, 4, 1.0, 1.0, 2.0, 1, 0, 0, 0, 1, 0, 1.0, 0.0));
    for (int n = 1; n <= 4; ++n) {
        const std::int16_t value = static_cast<std::int16_t>(n);
        ASSERT_TRUE(engine.SetDicomImage(&value, n, 1.0, 0.0, 0.0));
    }
    EXPECT_EQ(samplesInOrder(engine, 4), (std::vector<int>{4, 3, 2, 1}));
    ASSERT_TRUE(engine.SortImageNumber(0));
    EXPECT_EQ(samplesInOrder(engine, 4), (std::vector<int>{1, 2, 3, 4}));
}

TEST(Reorder, PartialLoadKeepsOnlyHandedOverSlices)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(1, 1, 5, 1.0, 1.0, 1.0, 1.0, 0));
    const std::int16_t v1 = 1, v2 = 2;
    ASSERT_TRUE(engine.SetDicomImage(&v2, 2, 1.0, 0.0, 0.0));
    ASSERT_TRUE(engine.SetDicomImage(&v1, 1, 1.0, 0.0, 0.0));
    ASSERT_TRUE(engine.SortImageNumber(0));
    EXPECT_EQ(engine.Zdims(), 2);
    EXPECT_EQ(samplesInOrder(engine, 2), (std::vector<int>{1, 2}));
    // The volume now holds two slices: a third would land past them.
    EXPECT_FALSE(engine.SetDicomImage(&v1, 3, 1.0, 0.0, 0.0));
    // Sorting before anything is loaded leaves the declared volume alone.
    ASSERT_TRUE(engine.SetDataProfile(1, 1, 5, 1.0, 1.0, 1.0, 1.0, 0));
    ASSERT_TRUE(engine.SortImageNumber(0));
    EXPECT_EQ(engine.Zdims(), 5);
}

TEST(DelDicomImage, MovesListedSlicesBehindAndKeepsZ)
{
    VazAZUrorav engine;
    std::vector<int> numbers;
    std::vector<double> positions;
    for (int n = 1; n <= 10; ++n) {
        numbers.push_back(n);
        positions.push_back(-n);
    }
    loadSlices(engine, numbers, positions);
    const std::int32_t list[2] = {0, 99};
    ASSERT_TRUE(engine.DelDicomImage(2, list));
    EXPECT_EQ(engine.Zdims(), 10);
    EXPECT_EQ(samplesInOrder(engine, 10), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 1}));
    // The next sort brings the slice back.
    ASSERT_TRUE(engine.SortImageNumber(0));
    EXPECT_EQ(samplesInOrder(engine, 10), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(engine.DelDicomImage(0, nullptr));
}

TEST(Checks, CheckDataSortZAndChangeImageNum)
{
    VazAZUrorav engine;
    EXPECT_EQ(engine.CheckData(0), -1);
    EXPECT_FALSE(engine.SortZ());
    EXPECT_FALSE(engine.ChangeImageNum(1));
    loadSlices(engine, {1}, {0.0});
    EXPECT_EQ(engine.CheckData(0), -1);

    loadSlices(engine, {1, 2, 3, 4}, {0.0, -2.5, -5.0, -7.5});
    EXPECT_EQ(engine.CheckData(0), 0);
    loadSlices(engine, {1, 2, 3, 4}, {0.0, -2.5, -5.0, -7.502});
    EXPECT_EQ(engine.CheckData(0), 1);
    loadSlices(engine, {1, 2, 3, 4}, {0.0, -2.5, -5.0, -7.5005});
    EXPECT_EQ(engine.CheckData(0), 0);

    const float spacing = engine.Zspacing();
    ASSERT_TRUE(engine.SortZ());
    EXPECT_FLOAT_EQ(engine.Zspacing(), -spacing);

    EXPECT_FALSE(engine.ChangeImageNum(0));
    EXPECT_FALSE(engine.ChangeImageNum(-3));
    EXPECT_EQ(engine.Zdims(), 4);
    ASSERT_TRUE(engine.ChangeImageNum(9)); // not below Z: nothing shrinks
    EXPECT_EQ(engine.Zdims(), 4);
    ASSERT_TRUE(engine.ChangeImageNum(2));
    EXPECT_EQ(engine.Zdims(), 2);
    EXPECT_EQ(samplesInOrder(engine, 2), (std::vector<int>{1, 2}));
    EXPECT_EQ(engine.GetImageNumber(2), -1);
    ASSERT_TRUE(engine.SortInitialize()); // the dropped slices are gone for good
    EXPECT_EQ(engine.Zdims(), 2);
}

} // namespace
