// Display images: window and threshold bitmaps, colour mapping, checked
// against references written from the published layouts.
#include "ZVIPEngine/VazAZUrorav.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<std::int16_t> randomImage(int w, int h, unsigned seed, int low = -32768, int high = 32767)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(low, high);
    std::vector<std::int16_t> image(static_cast<std::size_t>(w) * h);
    for (auto& v : image)
        v = static_cast<std::int16_t>(value(random));
    return image;
}

std::int32_t le32(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

int windowIndex(int v, long long level, long long width)
{
    if (width == 0)
        return v < level ? 0 : 255;
    const long long i = (v - level + width / 2) * 255 / width;
    return i > 255 ? 255 : (i < 0 ? 0 : static_cast<int>(i));
}

// Colour of one sample through the published table rule.
void tableColour(int v, const std::vector<std::int16_t>& s, const std::vector<std::int32_t>& c, int out[3])
{
    const int n = static_cast<int>(s.size());
    int j = 0;
    while (j < n && !(v < s[j]))
        ++j;
    for (int k = 0; k < 3; ++k) {
        const int shift = 8 * k;
        if (j == n || j == 0) {
            out[k] = (c[j == n ? n - 1 : 0] >> shift) & 255;
        } else {
            const double r = double(v - s[j - 1]) / (s[j] - s[j - 1]);
            out[k] = static_cast<int>(((c[j - 1] >> shift) & 255) * (1.0 - r) + ((c[j] >> shift) & 255) * r);
        }
    }
}

} // namespace

TEST(WindowBitmap, HeaderPaletteAndPublishedMappingExamples)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> image = {-160, 40, 240, 1000, -1000};
    std::uint8_t* dib = nullptr;
    ASSERT_TRUE(engine.CreateDIBImage(&dib, 4, image.data(), 5, 1, 40, 400));
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(le32(dib), 40);
    EXPECT_EQ(le32(dib + 4), 5);
    EXPECT_EQ(le32(dib + 8), 1);
    EXPECT_EQ(dib[12] | dib[13] << 8, 1);
    EXPECT_EQ(dib[14] | dib[15] << 8, 8);
    for (int i = 16; i < 40; ++i)
        EXPECT_EQ(dib[i], 0) << i;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(dib[40 + 4 * i], 0);
        EXPECT_EQ(dib[40 + 4 * i + 1], 0);
        EXPECT_EQ(dib[40 + 4 * i + 2], i);
    }
    const std::uint8_t* pixels = dib + 1064;
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1], 127);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[3], 255);
    EXPECT_EQ(pixels[4], 0);
}

TEST(WindowBitmap, RowsBottomUpPaddedToFourBytesOverRandomWindows)
{
    VazAZUrorav engine;
    const int w = 511, h = 7;
    const auto image = randomImage(w, h, 11);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> any(-40000, 40000);
    for (int trial = 0; trial < 6; ++trial) {
        // Includes extreme and negative widths, where 32-bit products overflow.
        const std::int32_t level = trial < 2 ? any(random) : (trial == 2 ? 2000000000 : -5);
        const std::int32_t width = trial == 3 ? -400 : (trial == 4 ? 2147483647 : any(random) | 1);
        std::uint8_t* dib = nullptr;
        ASSERT_TRUE(engine.CreateDIBImage(&dib, 0, image.data(), w, h, level, width));
        std::uint8_t* address = nullptr;
        std::int32_t bytes = 0;
        ASSERT_TRUE(engine.GetBuffer(&address, 0, &bytes));
        EXPECT_EQ(address, dib);
        EXPECT_EQ(bytes, 512 * h + 1068);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = dib + 1064 + (h - 1 - y) * 512;
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(row[x], windowIndex(image[y * w + x], level, width)) << x << "," << y << " trial " << trial;
            EXPECT_EQ(row[511], 0) << "padding is not written";
        }
    }
}

TEST(WindowBitmap, ZeroWidthIsAStepAtTheLevel)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> image = {99, 100, 101, -5};
    std::uint8_t* dib = nullptr;
    ASSERT_TRUE(engine.CreateDIBImage(&dib, 1, image.data(), 4, 1, 100, 0));
    EXPECT_EQ(dib[1064], 0);
    EXPECT_EQ(dib[1065], 255);
    EXPECT_EQ(dib[1066], 255);
    EXPECT_EQ(dib[1067], 0);
}

TEST(WindowBitmap, RefusesBadArgumentsWithErrorNumber)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> image(16, 0);
    auto* dib = reinterpret_cast<std::uint8_t*>(&engine); // any non-zero value
    EXPECT_FALSE(engine.CreateDIBImage(&dib, 100, image.data(), 4, 4, 0, 100));
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(engine.ErrorNumber(), -1);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.CreateDIBImage(&dib, 0, nullptr, 4, 4, 0, 100));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_FALSE(engine.CreateDIBImage(&dib, 0, image.data(), 0, 4, 0, 100));
    EXPECT_FALSE(engine.CreateDIBImage(nullptr, 0, image.data(), 4, 4, 0, 100));
    EXPECT_FALSE(engine.CreateDIBbitImage(&dib, -1, image.data(), 4, 4, 0, 0, 0));
    EXPECT_EQ(dib, nullptr);
    EXPECT_FALSE(engine.CreateDIBbitImage(&dib, 0, image.data(), 4, -4, 0, 0, 0));
}

TEST(WindowBitmap, SourceHeldInTheTargetSlotIsReadBeforeTheSlotIsReplaced)
{
    VazAZUrorav engine;
    const int w = 64, h = 64;
    const auto image = randomImage(w, h, 3, 0, 4000);
    std::int16_t* held = nullptr;
    ASSERT_TRUE(engine.CreateImageBuffer(&held, 7, w * h));
    std::memcpy(held, image.data(), image.size() * 2);
    std::uint8_t* expected = nullptr;
    ASSERT_TRUE(engine.CreateDIBImage(&expected, 8, image.data(), w, h, 1000, 2000));
    std::uint8_t* dib = nullptr;
    ASSERT_TRUE(engine.CreateDIBImage(&dib, 7, held, w, h, 1000, 2000));
    EXPECT_EQ(std::memcmp(dib, expected, 64 * h + 1064), 0);
    std::uint8_t* bits = nullptr;
    ASSERT_TRUE(engine.CreateImageBuffer(&held, 9, w * h));
    std::memcpy(held, image.data(), image.size() * 2);
    ASSERT_TRUE(engine.CreateDIBbitImage(&bits, 9, held, w, h, 2000, 0, 0xFFFFFF));
    EXPECT_EQ(bits[48] >> 7, image[(h - 1) * w] >= 2000 ? 1 : 0);
}

TEST(ThresholdBitmap, PacksTenPixelRowsIntoFourBytesFromTheTopBit)
{
    VazAZUrorav engine;
    // Row 0: pixels 0, 7, 8, 9 at or above the threshold; row 1: pixel 1.
    std::vector<std::int16_t> image(20, 5);
    image[0] = image[7] = image[8] = image[9] = 10;
    image[11] = 10;
    std::uint8_t* dib = nullptr;
    ASSERT_TRUE(engine.CreateDIBbitImage(&dib, 2, image.data(), 10, 2, 10, 0x00332211, 0x00CCBBAA));
    std::uint8_t* address = nullptr;
    std::int32_t bytes = 0;
    ASSERT_TRUE(engine.GetBuffer(&address, 2, &bytes));
    EXPECT_EQ(bytes, 4 * 2 + 52);
    EXPECT_EQ(le32(dib + 4), 10);
    EXPECT_EQ(le32(dib + 8), 2);
    EXPECT_EQ(dib[14], 1);
    // Palette: blue, green, red of 0x00BBGGRR.
    EXPECT_EQ(dib[40], 0x33);
    EXPECT_EQ(dib[41], 0x22);
    EXPECT_EQ(dib[42], 0x11);
    EXPECT_EQ(dib[44], 0xCC);
    EXPECT_EQ(dib[45], 0xBB);
    EXPECT_EQ(dib[46], 0xAA);
    const std::uint8_t* bottom = dib + 48; // image row 1
    const std::uint8_t* top = dib + 52;    // image row 0
    EXPECT_EQ(top[0], 0x81);
    EXPECT_EQ(top[1], 0xC0);
    EXPECT_EQ(top[2], 0);
    EXPECT_EQ(bottom[0], 0x40);
    EXPECT_EQ(bottom[1], 0);
}

TEST(ThresholdBitmap, ComparesAsUnsignedOverRandomImages)
{
    VazAZUrorav engine;
    for (const int w : {1, 8, 13, 33}) {
        const int h = 5;
        const auto image = randomImage(w, h, 17u + static_cast<unsigned>(w));
        const std::int16_t threshold = static_cast<std::int16_t>(w % 2 ? 1000 : -1000); // -1000 is 64536
        std::uint8_t* dib = nullptr;
        ASSERT_TRUE(engine.CreateDIBbitImage(&dib, 0, image.data(), w, h, threshold, 0, 0xFFFFFF));
        const int stride = ((w + 7) / 8 + 3) / 4 * 4;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* row = dib + 48 + (h - 1 - y) * stride;
                const int bit = (row[x / 8] >> (7 - x % 8)) & 1;
                const int expected = static_cast<std::uint16_t>(image[y * w + x]) >= static_cast<std::uint16_t>(threshold);
                ASSERT_EQ(bit, expected) << w << ": " << x << "," << y;
            }
    }
}

TEST(ColourMapping, TwoPointRedRampOfThePublishedExample)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> values = {0, 100};
    const std::vector<std::int32_t> colours = {0, 255};
    const std::vector<std::int16_t> image = {50, -5, 100, 3000, 0};
    std::uint8_t* rgb = nullptr;
    ASSERT_TRUE(engine.CreateImageRGB(&rgb, 3, image.data(), 5, 1, 2, values.data(), colours.data()));
    const int expectedRed[5] = {127, 0, 255, 255, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rgb[i], expectedRed[i]) << i;
        EXPECT_EQ(rgb[5 + i], 0);
        EXPECT_EQ(rgb[10 + i], 0);
    }
}

TEST(ColourMapping, RandomTablesAgreeWithTheReferenceAndMayOverwriteTheirSource)
{
    VazAZUrorav engine;
    const int w = 37, h = 23, n = w * h;
    const auto image = randomImage(w, h, 21, -3000, 3000);
    const std::vector<std::int16_t> values = {-2000, -500, 0, 40, 1500};
    const std::vector<std::int32_t> colours = {0x000000, 0x0000FF, 0x00FF00, 0x123456, 0xFFFFFF};
    std::vector<std::uint8_t> expected(3 * n);
    for (int i = 0; i < n; ++i) {
        int c[3];
        tableColour(image[i], values, colours, c);
        for (int k = 0; k < 3; ++k)
            expected[k * n + i] = static_cast<std::uint8_t>(c[k]);
    }
    std::uint8_t* created = nullptr;
    ASSERT_TRUE(engine.CreateImageRGB(&created, 0, image.data(), w, h, 5, values.data(), colours.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(created, created + 3 * n), expected);

    // The caller's output block starts with the source samples.
    std::vector<std::uint8_t> shared(3 * n);
    std::memcpy(shared.data(), image.data(), 2 * n);
    ASSERT_TRUE(engine.GetImageRGB(shared.data(), reinterpret_cast<const std::int16_t*>(shared.data()), w, h, 5,
                                   values.data(), colours.data()));
    EXPECT_EQ(shared, expected);
}

TEST(ColourMapping, RefusesAnEmptyTable)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> image(4, 0);
    const std::int16_t value = 0;
    const std::int32_t colour = 0;
    std::uint8_t out[12];
    EXPECT_FALSE(engine.GetImageRGB(out, image.data(), 2, 2, 0, &value, &colour));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_FALSE(engine.GetImageRGB(out, image.data(), 2, 2, 1, nullptr, &colour));
    std::uint8_t* rgb = out;
    EXPECT_FALSE(engine.CreateImageRGB(&rgb, 0, image.data(), 2, 2, -3, &value, &colour));
    EXPECT_EQ(rgb, nullptr);
}
