// 2-D operations on host images: half and double size, box mean, median,
// mirror, quarter turns, rectangles and out-of-range marking, each against a
// direct reference of its published rule.
#include "ZVIPEngine/VazAZUrorav.h"

#include "EngineTestSupport.h"
#include "TwoThreadSplit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace {

using Image = std::vector<std::int16_t>;

Image randomImage(int w, int h, unsigned seed, int low = 0, int high = 4000)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(low, high);
    Image image(static_cast<std::size_t>(w) * h);
    for (auto& v : image)
        v = static_cast<std::int16_t>(value(random));
    return image;
}

std::vector<std::uint8_t> randomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Pixel i of the edge-repeating mirror extension of an axis of n pixels.
int mirrored(int i, int n)
{
    return i < 0 ? -1 - i : (i >= n ? 2 * n - 1 - i : i);
}

// The n x n block of output pixel (x, y): image pixels x - n/2 .. x - n/2 + n - 1.
std::vector<int> block(const Image& image, int w, int h, int n, int x, int y)
{
    std::vector<int> values;
    for (int dy = 0; dy < n; ++dy)
        for (int dx = 0; dx < n; ++dx)
            values.push_back(image[mirrored(y - n / 2 + dy, h) * w + mirrored(x - n / 2 + dx, w)]);
    return values;
}

Image referenceMean(const Image& image, int w, int h, int n)
{
    Image out(image.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            long long sum = 0;
            for (int v : block(image, w, h, n, x, y))
                sum += v;
            out[y * w + x] = static_cast<std::int16_t>(sum / (n * n));
        }
    return out;
}

Image referenceMedian(const Image& image, int w, int h, int n)
{
    Image out(image.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::vector<int> values = block(image, w, h, n, x, y);
            std::sort(values.begin(), values.end(), std::greater<int>());
            out[y * w + x] = static_cast<std::int16_t>(values[values.size() / 2]);
        }
    return out;
}

} // namespace

TEST(HalfSize, GreyFollowsThePublishedRemainderRule)
{
    VazAZUrorav engine;
    Image tiny = {1, 2, 3, 4};
    ASSERT_TRUE(engine.GetImageHalfSize(tiny.data(), 2, 2, 0));
    EXPECT_EQ(tiny[0], 1);

    // Odd sizes: the last column and row are dropped.
    for (const auto& [w, h] : {std::pair{8, 6}, std::pair{9, 7}}) {
        const Image original = randomImage(w, h, 4u + static_cast<unsigned>(w), -2000, 4000);
        Image image = original;
        ASSERT_TRUE(engine.GetImageHalfSize(image.data(), w, h, 0));
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w / 2; ++x) {
                int expected = 0;
                for (int r = 0; r < 2; ++r) {
                    const int a = original[(2 * y + r) * w + 2 * x];
                    const int b = original[(2 * y + r) * w + 2 * x + 1];
                    expected += a / 4 + b / 4 + (a % 4 + b % 4) / 4;
                }
                ASSERT_EQ(image[y * (w / 2) + x], expected) << x << "," << y;
            }
    }
}

TEST(HalfSize, ColourAveragesEachPlaneIntoConsecutiveHalfPlanes)
{
    VazAZUrorav engine;
    const int w = 6, h = 4;
    const auto original = randomBytes(3 * w * h, 9);
    auto image = original;
    ASSERT_TRUE(engine.GetImageHalfSize(image.data(), w, h, 1));
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const std::uint8_t* in = original.data() + p * w * h;
                const float sum = float(in[2 * y * w + 2 * x]) + in[2 * y * w + 2 * x + 1] +
                                  in[(2 * y + 1) * w + 2 * x] + in[(2 * y + 1) * w + 2 * x + 1];
                EXPECT_EQ(image[p * 6 + y * 3 + x], static_cast<int>(sum * 0.25f + 0.5f));
            }
}

TEST(HalfSize, RefusesOtherKindsAndBadImages)
{
    VazAZUrorav engine;
    Image image(4, 1);
    EXPECT_FALSE(engine.GetImageHalfSize(image.data(), 2, 2, 2));
    EXPECT_FALSE(engine.GetImageHalfSize(nullptr, 2, 2, 0));
    EXPECT_FALSE(engine.GetImageHalfSize(image.data(), 0, 2, 0));
    EXPECT_EQ(image, Image(4, 1));
}

TEST(DoubleSize, BilinearWithEndsOnTheSourceEnds)
{
    VazAZUrorav engine;
    const int w = 5, h = 3;
    const Image source = randomImage(w, h, 2, -32768, 32767); // read as unsigned
    std::vector<std::uint16_t> out(4 * w * h);
    ASSERT_TRUE(engine.GetImageDoubleSize(out.data(), w, h, source.data(), 0));
    const auto at = [&](int x, int y) { return double(static_cast<std::uint16_t>(source[y * w + x])); };
    for (int Y = 0; Y < 2 * h; ++Y)
        for (int X = 0; X < 2 * w; ++X) {
            const double x = double(X) * (w - 1) / (2 * w - 1);
            const double y = double(Y) * (h - 1) / (2 * h - 1);
            const int x0 = std::min(static_cast<int>(x), w - 1), y0 = std::min(static_cast<int>(y), h - 1);
            const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
            const double fx = x - x0, fy = y - y0;
            const double v = (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
                             (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
            ASSERT_EQ(out[Y * 2 * w + X], static_cast<std::uint16_t>(v + 0.01)) << X << "," << Y;
        }
    EXPECT_EQ(out[0], static_cast<std::uint16_t>(source[0]));
    EXPECT_EQ(out.back(), static_cast<std::uint16_t>(source.back()));

    const auto colour = randomBytes(3, 1);
    std::vector<std::uint8_t> big(12);
    ASSERT_TRUE(engine.GetImageDoubleSize(big.data(), 1, 1, colour.data(), 1));
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(big[p * 4 + i], colour[p]);
    EXPECT_TRUE(engine.GetImageDoubleSize(nullptr, 1, 1, nullptr, 7));
    EXPECT_FALSE(engine.GetImageDoubleSize(big.data(), 0, 1, colour.data(), 1));
}

TEST(BoxMean, AgreesWithTheMirroredReferenceForEverySize)
{
    VazAZUrorav engine;
    const int w = 23, h = 17;
    const Image original = randomImage(w, h, 31, -32768, 32767);
    for (const int n : {1, 2, 3, 4, 5, 9, 17}) {
        Image image = original;
        ASSERT_TRUE(engine.GetImageSmoothing(image.data(), w, h, n));
        ASSERT_EQ(image, referenceMean(original, w, h, n)) << "size " << n;
    }
}

TEST(BoxMean, RefusedSizesLeaveTheImageAndAnswerTrue)
{
    VazAZUrorav engine;
    const Image original = randomImage(6, 4, 3);
    for (const int n : {0, -3, 256, 5}) {
        Image image = original;
        EXPECT_TRUE(engine.GetImageSmoothing(image.data(), 6, 4, n));
        EXPECT_EQ(image, original) << n;
    }
    EXPECT_FALSE(engine.GetImageSmoothing(nullptr, 6, 4, 3));
    // 256 is refused even where the image could hold it.
    const Image large = randomImage(260, 260, 5);
    Image image = large;
    EXPECT_TRUE(engine.GetImageSmoothing(image.data(), 260, 260, 256));
    EXPECT_EQ(image, large);
}

TEST(Median, AgreesWithTheSortedReference)
{
    VazAZUrorav engine;
    const int w = 19, h = 14;
    const Image original = randomImage(w, h, 41, -32768, 32767);
    for (const int n : {1, 2, 3, 4, 5, 7}) {
        Image image = original;
        ASSERT_TRUE(engine.GetImageMedian(image.data(), w, h, n));
        ASSERT_EQ(image, referenceMedian(original, w, h, n)) << "size " << n;
    }
}

TEST(Median, RemovesAnIsolatedPixelAndTakesTheSecondSmallestOfFour)
{
    VazAZUrorav engine;
    Image image(25, 100);
    image[12] = 3000;
    ASSERT_TRUE(engine.GetImageMedian(image.data(), 5, 5, 3));
    EXPECT_EQ(image, Image(25, 100));

    Image two = {1, 2, 3, 4};
    // Every 2 x 2 block (with the mirrored border) of pixel (1, 1) is 1 2 3 4.
    ASSERT_TRUE(engine.GetImageMedian(two.data(), 2, 2, 2));
    EXPECT_EQ(two[3], 2);

    // Sizes the border cannot hold are refused rather than read past the image.
    const Image original = randomImage(3, 8, 2);
    for (const int n : {0, -1, 4, 300}) {
        Image image2 = original;
        EXPECT_TRUE(engine.GetImageMedian(image2.data(), 3, 8, n));
        EXPECT_EQ(image2, original) << n;
    }
}

TEST(SourceSmoothing, FiltersEverySliceOfTheVolume)
{
    VazAZUrorav engine;
    EXPECT_FALSE(engine.SourceSmoothing(0, 3));
    EXPECT_EQ(engine.ErrorNumber(), -1);

    const reference::Volume volume = reference::randomVolume(12, 9, 5, 77);
    for (const int mode : {0, 1}) {
        ASSERT_TRUE(loadIntoEngine(engine, volume));
        ASSERT_TRUE(engine.SourceSmoothing(mode, 3));
        const std::size_t slice = 12 * 9;
        for (int z = 0; z < volume.Z; ++z) {
            const Image original(volume.v.begin() + z * slice, volume.v.begin() + (z + 1) * slice);
            const Image expected = mode == 1 ? referenceMedian(original, 12, 9, 3) : referenceMean(original, 12, 9, 3);
            const Image got(engine.PtrData() + z * slice, engine.PtrData() + (z + 1) * slice);
            ASSERT_EQ(got, expected) << "mode " << mode << " slice " << z;
        }
    }
    // A refused size changes nothing and still answers true.
    ASSERT_TRUE(loadIntoEngine(engine, volume));
    EXPECT_TRUE(engine.SourceSmoothing(0, 0));
    EXPECT_TRUE(std::equal(volume.v.begin(), volume.v.end(), engine.PtrData()));
}

TEST(MirrorAndTurns, AgreeWithTheCoordinateRules)
{
    VazAZUrorav engine;
    const int w = 7, h = 4;
    const Image original = randomImage(w, h, 8);
    Image mirrored = original;
    ASSERT_TRUE(engine.GetImageMirrorLR(mirrored.data(), w, h, 0));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(mirrored[y * w + x], original[y * w + w - 1 - x]);

    const auto turned = [&](int turns) {
        Image out(original.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int v = original[y * w + x];
                if (turns == 0)
                    out[y * w + x] = static_cast<std::int16_t>(v);
                else if (turns == 1)
                    out[x * h + (h - 1 - y)] = static_cast<std::int16_t>(v);
                else if (turns == 2)
                    out[(h - 1 - y) * w + (w - 1 - x)] = static_cast<std::int16_t>(v);
                else
                    out[(w - 1 - x) * h + y] = static_cast<std::int16_t>(v);
            }
        return out;
    };
    const std::pair<int, int> angles[] = {{0, 0}, {90, 1}, {180, 2}, {270, 3}, {-90, 3}, {45, 0},
                                          {450, 1}, {-2147483647 - 1, 2}, {359, 3}};
    for (const auto& [angle, turns] : angles) {
        Image image = original;
        std::int32_t outWidth = 0, outHeight = 0;
        ASSERT_TRUE(engine.GetImageRotateRect(image.data(), w, h, angle, &outWidth, &outHeight, 0));
        EXPECT_EQ(image, turned(turns)) << angle;
        EXPECT_EQ(outWidth, turns % 2 ? h : w) << angle;
        EXPECT_EQ(outHeight, turns % 2 ? w : h) << angle;
    }
    Image image = original;
    EXPECT_TRUE(engine.GetImageRotateRect(image.data(), w, h, 90, nullptr, nullptr, 0));
    EXPECT_EQ(image, turned(1));
    EXPECT_FALSE(engine.GetImageRotateRect(nullptr, w, h, 90, nullptr, nullptr, 0));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_FALSE(engine.GetImageMirrorLR(image.data(), 0, h, 0));
    EXPECT_TRUE(engine.GetImageMirrorLR(nullptr, 0, 0, 5));
}

TEST(MirrorAndTurns, ColourPlanesTurnAlike)
{
    VazAZUrorav engine;
    const int w = 3, h = 2;
    const auto original = randomBytes(3 * w * h, 12);
    auto image = original;
    std::int32_t outWidth = 0, outHeight = 0;
    ASSERT_TRUE(engine.GetImageRotateRect(image.data(), w, h, 90, &outWidth, &outHeight, 1));
    EXPECT_EQ(outWidth, 2);
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(image[p * 6 + x * h + (h - 1 - y)], original[p * 6 + y * w + x]);
    image = original;
    ASSERT_TRUE(engine.GetImageMirrorLR(image.data(), w, h, 1));
    for (int r = 0; r < 3 * h; ++r)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(image[r * w + x], original[r * w + w - 1 - x]);
}

TEST(Rectangles, CutAndPasteWithTheirBounds)
{
    VazAZUrorav engine;
    const int ws = 9, hs = 6;
    const Image source = randomImage(ws, hs, 13);
    Image cut(4 * 3);
    ASSERT_TRUE(engine.GetROIImage(cut.data(), 4, 3, source.data(), ws, hs, 5, 3, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(cut[y * 4 + x], source[(y + 3) * ws + x + 5]);
    EXPECT_FALSE(engine.GetROIImage(cut.data(), 4, 3, source.data(), ws, hs, 6, 3, 0));
    EXPECT_FALSE(engine.GetROIImage(cut.data(), 4, 3, source.data(), ws, hs, 0, 4, 0));
    EXPECT_FALSE(engine.GetROIImage(cut.data(), 4, 3, source.data(), ws, hs, -1, 0, 0));
    EXPECT_FALSE(engine.GetROIImage(cut.data(), 4, 3, source.data(), ws, hs, 2147483647, 0, 0));

    // Pasting 4 x 3 at (7, 4) into 9 x 6: two columns and two rows land.
    Image destination(ws * hs, -1);
    ASSERT_TRUE(engine.PastImage(destination.data(), ws, hs, cut.data(), 4, 3, 7, 4, 0));
    for (int y = 0; y < hs; ++y)
        for (int x = 0; x < ws; ++x) {
            const bool inside = x >= 7 && y >= 4;
            EXPECT_EQ(destination[y * ws + x], inside ? cut[(y - 4) * 4 + x - 7] : -1) << x << "," << y;
        }
    EXPECT_TRUE(engine.PastImage(destination.data(), ws, hs, cut.data(), 4, 3, 100, 100, 0));
    EXPECT_FALSE(engine.PastImage(destination.data(), 3, 3, cut.data(), 4, 3, 0, 0, 0));
    EXPECT_FALSE(engine.PastImage(destination.data(), ws, hs, cut.data(), 4, 3, -1, 0, 0));

    const auto colour = randomBytes(3 * 4 * 2, 6);
    std::vector<std::uint8_t> part(3 * 2 * 1);
    ASSERT_TRUE(engine.GetROIImage(part.data(), 2, 1, colour.data(), 4, 2, 1, 1, 1));
    for (int p = 0; p < 3; ++p)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(part[p * 2 + x], colour[p * 8 + 4 + 1 + x]);
}

TEST(OutOfRangeMarking, ClearsFlagBitsThenMarksOutsideValues)
{
    VazAZUrorav engine;
    Image image = randomImage(16, 16, 99, -32768, 32767);
    const Image original = image;
    ASSERT_TRUE(engine.GetImageThresholdBitMask(image.data(), 16, 16, 100, 9000));
    for (std::size_t i = 0; i < image.size(); ++i) {
        const int v = static_cast<std::uint16_t>(original[i]) & 0x3FFF;
        const int expected = (v < 100 || v > 9000) ? v + 32768 : v;
        ASSERT_EQ(static_cast<std::uint16_t>(image[i]), expected) << i;
    }
    EXPECT_FALSE(engine.GetImageThresholdBitMask(nullptr, 16, 16, 0, 1));
    EXPECT_EQ(engine.ErrorNumber(), -1);
}

TEST(TwoThreadSplit, CoversTheRangeOnceAndReportsFailures)
{
    for (const int processors : {1, 2}) {
        std::vector<std::atomic<int>> seen(1001);
        ASSERT_TRUE(zvipengine::TwoThreadSplit::run(1001, processors, 1, [&](std::int64_t b, std::int64_t e) {
            for (std::int64_t i = b; i < e; ++i)
                ++seen[static_cast<std::size_t>(i)];
            return true;
        }));
        for (const auto& s : seen)
            ASSERT_EQ(s.load(), 1);
        EXPECT_FALSE(zvipengine::TwoThreadSplit::run(10, processors, 1,
                                                     [](std::int64_t b, std::int64_t) { return b != 0; }));
    }
}
