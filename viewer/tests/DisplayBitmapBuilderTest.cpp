#include "ZVImgViewer/DisplayBitmapBuilder.h"
#include "ZVImgViewer/ImageSamples.h"

#include "ResamplingReference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

std::vector<std::int16_t> ramp(int width, int height, int start, int step)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(start + static_cast<int>(i) * step);
    return samples;
}

ImageSamples shown(const void* data, std::int32_t width, std::int32_t height, std::int32_t copyMode = 0)
{
    ImageSamples samples;
    const std::int32_t dims[2] = {width, height};
    EXPECT_TRUE(samples.setImageData(data, 2, dims, copyMode, false));
    return samples;
}

} // namespace

TEST(DisplayBitmapBuilder, GreyImageAtItsOwnSizeThroughTheWindow)
{
    const auto data = ramp(16, 8, -300, 5);
    ImageSamples samples = shown(data.data(), 16, 8);
    DisplayBitmapBuilder builder;
    builder.setWindowLevel(40);
    builder.setWindowWidth(400);
    EXPECT_TRUE(builder.rebuild(samples, 100, 50));
    const DisplayBitmap* bitmap = builder.bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 16); // without resampling the window stretches it
    EXPECT_EQ(bitmap->height(), 8);
    EXPECT_EQ(bitmap->kind(), DisplayBitmap::Kind::Grey);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t grey = WindowMapping::greyValue(data[y * 16 + x], 40, 400);
            ASSERT_EQ(bitmap->pixel(x, y), DisplayBitmap::fromGrey(grey)) << x << "," << y;
        }
}

TEST(DisplayBitmapBuilder, StaleFlagAndWindowWidthDecideRebuilds)
{
    const auto data = ramp(8, 8, 0, 10);
    ImageSamples samples = shown(data.data(), 8, 8);
    DisplayBitmapBuilder builder;
    EXPECT_FALSE(builder.rebuild(samples, 8, 8)); // never marked stale: nothing to do
    EXPECT_EQ(builder.bitmap(), nullptr);
    builder.markStale();
    EXPECT_TRUE(builder.rebuild(samples, 8, 8));
    EXPECT_FALSE(builder.rebuild(samples, 8, 8));
    builder.setWindowLevel(100);
    EXPECT_TRUE(builder.rebuild(samples, 8, 8));
    // A window of another width than the bitmap always rebuilds.
    EXPECT_TRUE(builder.rebuild(samples, 20, 8));
    EXPECT_TRUE(builder.rebuild(samples, 20, 8));

    // No samples: the picture goes (nothing else would be true), once; the next samples are built.
    ImageSamples empty;
    ASSERT_NE(builder.bitmap(), nullptr);
    EXPECT_TRUE(builder.rebuild(empty, 8, 8));
    EXPECT_EQ(builder.bitmap(), nullptr);
    EXPECT_FALSE(builder.rebuild(empty, 8, 8));
    EXPECT_TRUE(builder.stale());
    EXPECT_TRUE(builder.rebuild(samples, 8, 8));
    EXPECT_NE(builder.bitmap(), nullptr);
}

TEST(DisplayBitmapBuilder, ResamplesToTheWindowAndFollowsResizes)
{
    std::mt19937 generator(11);
    std::uniform_int_distribution<int> value(0, 2000);
    std::vector<std::int16_t> data(40 * 30);
    for (auto& sample : data)
        sample = static_cast<std::int16_t>(value(generator));
    ImageSamples samples = shown(data.data(), 40, 30);
    DisplayBitmapBuilder builder;
    builder.setWindowLevel(1000);
    builder.setWindowWidth(1501);
    builder.setResamplingMode(1);
    for (const auto& window : {std::pair{97, 61}, std::pair{120, 80}, std::pair{120, 100}, std::pair{23, 17}}) {
        SCOPED_TRACE(::testing::Message() << window.first << "x" << window.second);
        // A resize (height alone included) is noticed by the next rebuild.
        EXPECT_TRUE(builder.rebuild(samples, window.first, window.second));
        const DisplayBitmap* bitmap = builder.bitmap();
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(bitmap->width(), window.first);
        ASSERT_EQ(bitmap->height(), window.second);
        const auto expected = referenceResample(data, 40, 30, window.first, window.second);
        int mismatches = 0;
        for (int y = 0; y < window.second; ++y)
            for (int x = 0; x < window.first; ++x)
                mismatches += bitmap->grey(x, y) !=
                              WindowMapping::greyValue(expected[static_cast<std::size_t>(y) * window.first + x], 1000, 1501);
        EXPECT_EQ(mismatches, 0);
    }
    // The image's own width needs no resampling.
    EXPECT_TRUE(builder.rebuild(samples, 40, 90));
    EXPECT_EQ(builder.bitmap()->height(), 30);
}

TEST(DisplayBitmapBuilder, TwoThreadsBuildTheSameBitmapAsOne)
{
    std::mt19937 generator(5);
    std::uniform_int_distribution<int> value(-1024, 3000);
    // Both outputs are large enough for two threads.
    std::vector<std::int16_t> data(768 * 704);
    for (auto& sample : data)
        sample = static_cast<std::int16_t>(value(generator));
    ImageSamples samples = shown(data.data(), 768, 704);
    ASSERT_GE(768 * 704, DisplayBitmapBuilder::parallelPixelCount);
    for (int mode : {0, 1}) {
        DisplayBitmapBuilder parallel;
        DisplayBitmapBuilder single;
        single.setThreadCount(1);
        for (auto* builder : {&parallel, &single}) {
            builder->setResamplingMode(mode);
            builder->setWindowLevel(40);
            builder->setWindowWidth(400);
            builder->rebuild(samples, 800, 700);
        }
        ASSERT_NE(parallel.bitmap(), nullptr);
        ASSERT_NE(single.bitmap(), nullptr);
        const auto count = static_cast<std::size_t>(parallel.bitmap()->width()) * parallel.bitmap()->height();
        ASSERT_EQ(count, mode ? 800u * 700u : 768u * 704u);
        EXPECT_TRUE(std::equal(parallel.bitmap()->pixels(), parallel.bitmap()->pixels() + count, single.bitmap()->pixels()));
    }
}

TEST(DisplayBitmapBuilder, ColourPlanesWithAndWithoutResampling)
{
    const int width = 5;
    const int height = 4;
    std::vector<std::uint8_t> planes(3 * width * height);
    for (int i = 0; i < width * height; ++i) {
        planes[i] = static_cast<std::uint8_t>(i * 12);
        planes[width * height + i] = static_cast<std::uint8_t>(255 - i * 3);
        planes[2 * width * height + i] = static_cast<std::uint8_t>((i * 37) % 256);
    }
    ImageSamples samples;
    const std::int32_t dims[2] = {width, height};
    ASSERT_TRUE(samples.setImageData(planes.data(), 2, dims, 1, true));
    DisplayBitmapBuilder builder;
    builder.setImageType(1);
    ASSERT_TRUE(builder.rebuild(samples, 50, 50));
    const DisplayBitmap* bitmap = builder.bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->kind(), DisplayBitmap::Kind::Colour);
    EXPECT_EQ(bitmap->pixel(2, 1), DisplayBitmap::fromRgb(planes[7], planes[27], planes[47]));

    builder.setResamplingMode(1);
    ASSERT_TRUE(builder.rebuild(samples, 12, 9));
    bitmap = builder.bitmap();
    ASSERT_EQ(bitmap->width(), 12);
    const auto plane = [&](int index) {
        return std::vector<std::uint8_t>(planes.begin() + index * width * height,
                                         planes.begin() + (index + 1) * width * height);
    };
    const auto red = referenceResample(plane(0), width, height, 12, 9);
    const auto green = referenceResample(plane(1), width, height, 12, 9);
    const auto blue = referenceResample(plane(2), width, height, 12, 9);
    for (int i = 0; i < 12 * 9; ++i)
        ASSERT_EQ(bitmap->pixel(i % 12, i / 12),
                  DisplayBitmap::fromRgb(static_cast<std::uint8_t>(red[i]), static_cast<std::uint8_t>(green[i]),
                                         static_cast<std::uint8_t>(blue[i])))
            << i;
}

TEST(DisplayBitmapBuilder, SamplesShorterThanTheImageAreNotRead)
{
    // A 16-bit copy of 4x4 samples is 32 bytes; as colour it would need 48.
    const auto data = ramp(4, 4, 0, 1);
    ImageSamples samples = shown(data.data(), 4, 4, 1);
    DisplayBitmapBuilder builder;
    builder.setImageType(1);
    EXPECT_TRUE(builder.rebuild(samples, 4, 4));
    EXPECT_EQ(builder.bitmap(), nullptr);

    // An image size larger than the copy, set afterwards, is refused the same way.
    builder.setImageType(0);
    samples.setWidth(400);
    EXPECT_TRUE(builder.rebuild(samples, 4, 4));
    EXPECT_EQ(builder.bitmap(), nullptr);
    samples.setWidth(0);
    builder.markStale();
    EXPECT_TRUE(builder.rebuild(samples, 4, 4));
    EXPECT_EQ(builder.bitmap(), nullptr);
}

TEST(DisplayBitmapBuilder, RealComputedTomographySlice)
{
    // pydicom's CT_small.dcm: 128 x 128 signed 16-bit samples, explicit VR little endian.
    const std::string path = std::string(VANTOR_REAL_DICOM_DIR) + "/pydicom/test_files/CT_small.dcm";
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        GTEST_SKIP() << "real DICOM files not found at " << path;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + count);
    std::fclose(file);
    const std::uint8_t pixelDataHeader[] = {0xE0, 0x7F, 0x10, 0x00, 'O', 'W', 0, 0, 0x00, 0x80, 0x00, 0x00};
    const auto found = std::search(bytes.begin(), bytes.end(), std::begin(pixelDataHeader), std::end(pixelDataHeader));
    const std::size_t pixelBytes = 128 * 128 * 2;
    ASSERT_NE(found, bytes.end()) << "no 32768-byte pixel data element";
    const std::size_t offset = static_cast<std::size_t>(found - bytes.begin()) + sizeof pixelDataHeader;
    ASSERT_LE(offset + pixelBytes, bytes.size());
    std::vector<std::int16_t> data(128 * 128);
    std::memcpy(data.data(), bytes.data() + offset, pixelBytes);

    ImageSamples samples = shown(data.data(), 128, 128, 1);
    EXPECT_EQ(samples.shortValue(64.0f, 64.0f), data[64 * 128 + 64]);
    DisplayBitmapBuilder builder;
    builder.setWindowLevel(1100);
    builder.setWindowWidth(400);
    builder.setResamplingMode(1);
    ASSERT_TRUE(builder.rebuild(samples, 300, 300));
    const auto expected = referenceResample(data, 128, 128, 300, 300);
    int mismatches = 0;
    int greyLevels[256] = {};
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            const std::uint8_t grey = builder.bitmap()->grey(x, y);
            mismatches += grey != WindowMapping::greyValue(expected[y * 300 + x], 1100, 400);
            ++greyLevels[grey];
        }
    EXPECT_EQ(mismatches, 0);
    // A real slice spreads over the grey scale rather than sitting at its ends.
    EXPECT_LT(greyLevels[0] + greyLevels[255], 300 * 300);
}
