// Volume declaration, slice hand-over and conversion, orientation codes,
// numbered buffers, slice queries, value range and identity.
#include "BoundedWait.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::int16_t> filledSlice(int count, std::int16_t value)
{
    return std::vector<std::int16_t>(static_cast<std::size_t>(count), value);
}

TEST(VolumeDeclaration, RefusesInvalidProfilesAndResetsState)
{
    VazAZUrorav engine;
    EXPECT_TRUE(engine.IsSigned());
    EXPECT_EQ(engine.PtrData(), nullptr);

    EXPECT_FALSE(engine.SetDataProfile(4, 4, 0, 1.0, 1.0, 1.0, 1.0, -1024));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDataProfile(4, 4, 2, 1.0, 1.0, 0.0, 1.0, -1024));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDataProfile(4, 4, 2, -1.0, 1.0, 1.0, 1.0, -1024));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    // A base slope of 0 would divide every conversion by zero.
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDataProfile(4, 4, 2, 1.0, 1.0, 1.0, 0.0, -1024));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_EQ(engine.PtrData(), nullptr);

    engine.setUseBitMask(false);
    engine.setImageBackColor(0x123456);
    ASSERT_TRUE(engine.SetDataProfile(5, 3, 2, 0.5, 0.75, -2.5, 1.0, -1024));
    EXPECT_EQ(engine.Xdims(), 5);
    EXPECT_EQ(engine.Ydims(), 3);
    EXPECT_EQ(engine.Zdims(), 2);
    EXPECT_FLOAT_EQ(engine.Xspacing(), 0.5f);
    EXPECT_FLOAT_EQ(engine.Yspacing(), 0.75f);
    EXPECT_FLOAT_EQ(engine.Zspacing(), -2.5f);
    EXPECT_TRUE(engine.UseBitMask());
    EXPECT_EQ(engine.ImageBackColor(), 0);
    EXPECT_EQ(engine.SourceOrientationType(), 0);
    ASSERT_NE(engine.PtrData(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(engine.PtrData()) % 32, 0u);
    // The engine never clears ErrorNumber itself.
    EXPECT_EQ(engine.ErrorNumber(), -1);
    engine.setSourceOrientationType(7);
    EXPECT_EQ(engine.SourceOrientationType(), 0);
}

TEST(SliceHandOver, ConvertsClampsAndTruncates)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(2, 1, 6, 1.0, 1.0, 1.0, 1.0, -1024));
    const std::int16_t signedPixels[2] = {-1000, -2000};
    ASSERT_TRUE(engine.SetDicomImage(signedPixels, 1, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 0), 24);
    EXPECT_EQ(engine.GetValueSourceData(1, 0, 0), 0);

    engine.setIsSigned(false);
    const std::uint16_t unsignedPixels[2] = {40000, 100};
    ASSERT_TRUE(engine.SetDicomImage(reinterpret_cast<const std::int16_t*>(unsignedPixels), 2, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.PtrData()[2], 32767);
    EXPECT_EQ(engine.PtrData()[3], 1124);
    engine.setIsSigned(true);

    // Slope 2 against base slope 1 doubles the input before the offset.
    const std::int16_t hundred[2] = {100, -100};
    ASSERT_TRUE(engine.SetDicomImage(hundred, 3, 2.0, -1024.0, 0.0));
    EXPECT_EQ(engine.PtrData()[4], 200);
    EXPECT_EQ(engine.PtrData()[5], 0);

    // Truncation, not rounding: 2.7 -> 2 and -0.5 -> 0.
    const std::int16_t one[2] = {1, 0};
    ASSERT_TRUE(engine.SetDicomImage(one, 4, 2.0, -1023.3, 0.0));
    EXPECT_EQ(engine.PtrData()[6], 2);
    EXPECT_EQ(engine.PtrData()[7], 0);
    ASSERT_TRUE(engine.SetDicomImage(one, 5, 1.0, -1024.5, 0.0));
    EXPECT_EQ(engine.PtrData()[8], 0);
    EXPECT_EQ(engine.PtrData()[9], 0);
}

TEST(SliceHandOver, EveryConversionPathFollowsTheFormula)
{
    // 37 pixels: the vector path and its scalar tail both take part.
    std::vector<std::int16_t> pixels = {-32768, -32767, -1025, -1024, -1023, -1, 0, 1, 2, 1023, 1024, 16383,
                                        16384, 31743, 31744, 32766, 32767};
    std::mt19937 random(3);
    std::uniform_int_distribution<int> any(-32768, 32767);
    while (pixels.size() < 37)
        pixels.push_back(static_cast<std::int16_t>(any(random)));
    struct Case {
        bool isSigned;
        double slope;
        double intercept;
        std::int16_t baseOffset;
    };
    const Case cases[] = {{true, 1.0, -1024.0, -1024}, {true, 1.0, 0.0, -1024},   {true, 1.0, -3000.0, 0},
                          {false, 1.0, 0.0, -1024},    {false, 1.0, -1024.0, 0}, {false, 1.0, -40000.0, 0},
                          {true, 1.0, 40000.0, 0},     {true, 0.5, -1024.0, -1024}, {false, 2.5, 10.25, 0}};
    for (const Case& c : cases) {
        VazAZUrorav engine;
        ASSERT_TRUE(engine.SetDataProfile(37, 1, 1, 1.0, 1.0, 1.0, 1.0, c.baseOffset));
        engine.setIsSigned(c.isSigned);
        ASSERT_TRUE(engine.SetDicomImage(pixels.data(), 1, c.slope, c.intercept, 0.0));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const double v = c.isSigned ? pixels[i] : static_cast<std::uint16_t>(pixels[i]);
            const double value = std::trunc(v * c.slope + (c.intercept - c.baseOffset));
            const int expected = value > 32767 ? 32767 : (value < 0 ? 0 : static_cast<int>(value));
            ASSERT_EQ(engine.PtrData()[i], expected)
                << "pixel " << pixels[i] << " signed " << c.isSigned << " intercept " << c.intercept;
        }
    }
}

TEST(SliceHandOver, InPlaceEqualsTheCopyAndReusedMemoryShowsNoOldSlices)
{
    // Every conversion case, handed over as a copy, in place and converted
    // ahead in place, after a first series of the same size filled the
    // memory with other values.
    std::vector<std::int16_t> pixels(37 * 3);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> any(-32768, 32767);
    for (auto& pixel : pixels)
        pixel = static_cast<std::int16_t>(any(random));
    for (const bool isSigned : {true, false}) {
        for (const double slope : {1.0, 0.5}) {
            VazAZUrorav copied;
            VazAZUrorav inPlace;
            VazAZUrorav ahead;
            for (VazAZUrorav* engine : {&copied, &inPlace, &ahead}) {
                ASSERT_TRUE(engine->SetDataProfile(37, 1, 4, 1.0, 1.0, -1.0, 1.0, -1024));
                for (int n = 0; n < 4; ++n)
                    ASSERT_TRUE(engine->SetDicomImage(pixels.data(), 1, 1.0, 500.0, 0.0));
                ASSERT_TRUE(engine->SetDataProfile(37, 1, 4, 1.0, 1.0, -1.0, 1.0, -1024));
                engine->setIsSigned(isSigned);
            }
            // Two places filled ahead, handed over in order; the last two slices never come.
            std::memcpy(inPlace.SliceLoadAddress(1), pixels.data() + 37, 37 * 2);
            std::memcpy(inPlace.SliceLoadAddress(0), pixels.data(), 37 * 2);
            EXPECT_EQ(inPlace.SliceLoadAddress(4), nullptr);
            for (int n = 1; n >= 0; --n) {
                std::memcpy(ahead.SliceLoadAddress(n), pixels.data() + 37 * n, 37 * 2);
                ahead.ConvertLentSlice(ahead.SliceLoadAddress(n), 37, slope, -1024.0, isSigned);
            }
            for (int n = 0; n < 2; ++n) {
                ASSERT_TRUE(copied.SetDicomImage(pixels.data() + 37 * n, 7 + n, slope, -1024.0, n * 2.5));
                ASSERT_TRUE(inPlace.SetDicomImageInPlace(7 + n, slope, -1024.0, n * 2.5));
                ASSERT_TRUE(ahead.SetConvertedImageInPlace(7 + n, n * 2.5));
            }
            EXPECT_FALSE(ahead.SetConvertedImageInPlace(0, 0.0));
            EXPECT_EQ(inPlace.SliceLoadAddress(2), nullptr);
            EXPECT_FALSE(inPlace.SetDicomImageInPlace(0, 1.0, 0.0, 0.0));
            const std::vector<std::int16_t> expected(copied.PtrData(), copied.PtrData() + 37 * 4);
            const std::vector<std::int16_t> ours(inPlace.PtrData(), inPlace.PtrData() + 37 * 4);
            EXPECT_EQ(ours, expected);
            EXPECT_EQ(std::vector<std::int16_t>(ahead.PtrData(), ahead.PtrData() + 37 * 4), expected);
            EXPECT_EQ(ahead.GetImageNumber(1), 8);
            EXPECT_DOUBLE_EQ(ahead.GetImageSlicePosition(1), 2.5);
            EXPECT_TRUE(std::all_of(ours.begin() + 37 * 2, ours.end(), [](std::int16_t v) { return v == 0; }));
            EXPECT_EQ(inPlace.GetImageNumber(1), 8);
            EXPECT_DOUBLE_EQ(inPlace.GetImageSlicePosition(1), 2.5);
        }
    }
    // A place filled ahead but never handed over (its file was skipped) reads as zero, as if never lent.
    VazAZUrorav fresh;
    ASSERT_TRUE(fresh.SetDataProfile(37, 1, 3, 1.0, 1.0, -1.0, 1.0, -1024));
    std::memcpy(fresh.SliceLoadAddress(2), pixels.data(), 37 * 2);
    std::memcpy(fresh.SliceLoadAddress(0), pixels.data(), 37 * 2);
    ASSERT_TRUE(fresh.SetDicomImageInPlace(1, 1.0, 0.0, 0.0));
    EXPECT_TRUE(std::all_of(fresh.PtrData() + 37, fresh.PtrData() + 37 * 3, [](std::int16_t v) { return v == 0; }));
}

TEST(SliceHandOver, RefusesBadSlicesAndNeverWritesPastTheVolume)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> pixels = filledSlice(16, 5);
    EXPECT_FALSE(engine.SetDicomImage(pixels.data(), 1, 1.0, 0.0, 0.0)); // no volume
    EXPECT_EQ(engine.ErrorNumber(), -1);

    ASSERT_TRUE(engine.SetDataProfile(4, 4, 2, 1.0, 1.0, 1.0, 1.0, 0));
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDicomImage(pixels.data(), 0, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_EQ(engine.GetImageNumber(0), -1); // nothing loaded
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDicomImage(nullptr, 1, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.ErrorNumber(), -1);

    ASSERT_TRUE(engine.SetDicomImage(pixels.data(), 1, 1.0, 0.0, 0.0));
    ASSERT_TRUE(engine.SetDicomImage(pixels.data(), 2, 1.0, 0.0, 0.0));
    const std::vector<std::int16_t> third = filledSlice(16, 9);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDicomImage(third.data(), 3, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    EXPECT_FALSE(engine.SetDicomImageInfo(third.data(), 0, 3, 1.0, 0.0, 1.0, 2.0, 3.0));
    EXPECT_EQ(engine.GetValueSourceData(3, 3, 1), 5);
    EXPECT_EQ(engine.GetImageNumber(1), 2);
    EXPECT_EQ(engine.GetImageNumber(2), -1);
}

TEST(SliceHandOver, PackedPixelsAreUnsignedAndBounded)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(3, 1, 4, 1.0, 1.0, 1.0, 1.0, 0));
    // 8 bits: 200 is unsigned.
    const std::vector<std::uint8_t> eight = {200, 0, 7};
    ASSERT_TRUE(engine.SetDicomImageBits(eight.data(), 8, 1, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.PtrData()[0], 200);
    EXPECT_EQ(engine.PtrData()[2], 7);
    // 12 bits, three pixels 0xABC, 0xFED, 0x123 in 4.5 bytes: the pixel at
    // bit offset 4 keeps its value (no sign extension from the 16-bit word),
    // and the stream is read no further than its 5 bytes.
    const std::vector<std::uint8_t> twelve = {0xBC, 0xDA, 0xFE, 0x23, 0x01};
    ASSERT_TRUE(engine.SetDicomImageBits(twelve.data(), 12, 2, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.PtrData()[3], 0xABC);
    EXPECT_EQ(engine.PtrData()[4], 0xFED);
    EXPECT_EQ(engine.PtrData()[5], 0x123);
    // 1 bit: bits 1, 0, 1 from the least significant bit.
    const std::vector<std::uint8_t> single = {0x05};
    ASSERT_TRUE(engine.SetDicomImageBits(single.data(), 1, 3, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.PtrData()[6], 1);
    EXPECT_EQ(engine.PtrData()[7], 0);
    EXPECT_EQ(engine.PtrData()[8], 1);

    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.SetDicomImageBits(single.data(), 17, 4, 1.0, 0.0, 0.0));
    EXPECT_FALSE(engine.SetDicomImageBits(single.data(), 0, 4, 1.0, 0.0, 0.0));
    EXPECT_FALSE(engine.SetDicomImageBits(single.data(), 8, 0, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.ErrorNumber(), 0); // these refusals set no error number
    // 16 bits is the plain hand-over.
    const std::int16_t words[3] = {10, 20, 30};
    ASSERT_TRUE(engine.SetDicomImageBits(reinterpret_cast<const std::uint8_t*>(words), 16, 4, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.PtrData()[11], 30);
}

TEST(Orientation, CodesReverseOrderAndSpacing)
{
    VazAZUrorav engine;
    const std::vector<std::int16_t> first = filledSlice(4, 11);
    const std::vector<std::int16_t> second = filledSlice(4, 22);

    ASSERT_TRUE(engine.SetDICOMProfile(2, 2, 3, 1.0, 1.0, 5.0, 1, 0, 0, 0, 1, 0, 1.0, 0.0));
    EXPECT_EQ(engine.SourceOrientationType(), 0);
    EXPECT_FLOAT_EQ(engine.Zspacing(), -5.0f);
    ASSERT_TRUE(engine.SetDicomImage(first.data(), 1, 1.0, 0.0, 0.0));
    ASSERT_TRUE(engine.SetDicomImage(second.data(), 2, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.GetImageNumber(2), 1); // first slice at Z - 1
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 2), 11);
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 1), 22);

    // Same orientation, negative spacing: no reverse order, spacing kept.
    ASSERT_TRUE(engine.SetDICOMProfile(2, 2, 3, 1.0, 1.0, -5.0, 1, 0, 0, 0, 1, 0, 1.0, 0.0));
    EXPECT_FLOAT_EQ(engine.Zspacing(), -5.0f);
    ASSERT_TRUE(engine.SetDicomImage(first.data(), 1, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.GetImageNumber(0), 1);

    ASSERT_TRUE(engine.SetDICOMProfile(2, 2, 3, 1.0, 1.0, 5.0, 0, 1, 0, 0, 0, -1, 1.0, 0.0));
    EXPECT_EQ(engine.SourceOrientationType(), 16);

    // Coronal: row (1,0,0), column (0,0,-1): normal (0,1,0), Rx > t -> 8.
    ASSERT_TRUE(engine.SetDICOMProfile(2, 2, 3, 1.0, 1.0, 5.0, 1, 0, 0, 0, 0, -1, 1.0, 0.0));
    EXPECT_EQ(engine.SourceOrientationType(), 8);

    // No dominant component: code -1, spacing as given.
    ASSERT_TRUE(engine.SetDICOMProfile(2, 2, 3, 1.0, 1.0, 5.0, 1, 0, 0, 1, 0, 0, 1.0, 0.0));
    EXPECT_EQ(engine.SourceOrientationType(), -1);
    EXPECT_FLOAT_EQ(engine.Zspacing(), 5.0f);
    ASSERT_TRUE(engine.SetDicomImage(first.data(), 1, 1.0, 0.0, 0.0));
    EXPECT_EQ(engine.GetImageNumber(0), 1);

    // The intercept is truncated to the 16-bit base offset.
    ASSERT_TRUE(engine.SetDICOMProfile(1, 1, 1, 1.0, 1.0, 1.0, 1, 0, 0, 0, 1, 0, 1.0, -1024.9));
    const std::int16_t raw[1] = {0};
    ASSERT_TRUE(engine.SetDicomImage(raw, 1, 1.0, -1024.0, 0.0));
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 0), 0);
    EXPECT_FALSE(engine.SetDICOMProfile(1, 1, 1, 1.0, 1.0, 1.0, 1, 0, 0, 0, 1, 0, 1.0, 1.0e9));
}

TEST(Orientation, PatientCoordinatesGiveSignedSlicePositions)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDICOMProfile(2, 2, 3, 1.0, 1.0, -2.0, 1, 0, 0, 0, 1, 0, 1.0, 0.0));
    const std::vector<std::int16_t> pixels = filledSlice(4, 1);
    // A refused slice leaves neither position nor origin behind.
    EXPECT_FALSE(engine.SetDicomImageInfo(pixels.data(), 0, 0, 1.0, 0.0, 9.0, 9.0, 9.0));
    EXPECT_FLOAT_EQ(engine.Xorigin(), 0.0f);
    ASSERT_TRUE(engine.SetDicomImageInfo(pixels.data(), 0, 1, 1.0, 0.0, 10.0, 20.0, 30.0));
    ASSERT_TRUE(engine.SetDicomImageInfo(pixels.data(), 0, 2, 1.0, 0.0, 10.0, 20.0, 27.0));
    ASSERT_TRUE(engine.SetDicomImageInfo(pixels.data(), 0, 3, 1.0, 0.0, 13.0, 24.0, 30.0));
    EXPECT_FLOAT_EQ(engine.Xorigin(), 10.0f);
    EXPECT_FLOAT_EQ(engine.Yorigin(), 20.0f);
    EXPECT_FLOAT_EQ(engine.Zorigin(), 30.0f);
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(0), 0.0);
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(1), -3.0); // against the normal (0,0,1)
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(2), 5.0);  // in the plane: d . n = 0
    EXPECT_DOUBLE_EQ(engine.GetValueImagePosition(1, 2), 27.0);
    EXPECT_DOUBLE_EQ(engine.GetValueImagePosition(1, 3), 0.0);
    EXPECT_DOUBLE_EQ(engine.GetValueImagePosition(3, 0), 0.0);

    // Packed form, with patient coordinates.
    ASSERT_TRUE(engine.SetDICOMProfile(2, 1, 2, 1.0, 1.0, -2.0, 1, 0, 0, 0, 1, 0, 1.0, 0.0));
    const std::uint8_t bytes[1] = {0x21};
    ASSERT_TRUE(engine.SetDicomImageInfoBits(bytes, 4, 0, 1, 1.0, 0.0, 0.0, 0.0, 0.0));
    ASSERT_TRUE(engine.SetDicomImageInfoBits(bytes, 4, 0, 2, 1.0, 0.0, 0.0, 0.0, 4.0));
    EXPECT_EQ(engine.PtrData()[0], 1);
    EXPECT_EQ(engine.PtrData()[1], 2);
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(1), 4.0);
}

TEST(Buffers, SlotsAllocateReleaseAndReset)
{
    VazAZUrorav engine;
    std::int16_t* image = reinterpret_cast<std::int16_t*>(1);
    ASSERT_TRUE(engine.CreateImageBuffer(&image, 7, 10));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image) % 32, 0u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(image[i], 0);
    std::uint8_t* address = nullptr;
    std::int32_t bytes = -5;
    ASSERT_TRUE(engine.GetBuffer(&address, 7, &bytes));
    EXPECT_EQ(address, reinterpret_cast<std::uint8_t*>(image));
    EXPECT_EQ(bytes, 20);

    ASSERT_TRUE(engine.GetBuffer(&address, 8, &bytes));
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(bytes, 0);

    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.GetBuffer(&address, 100, &bytes));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.GetBuffer(nullptr, 7, &bytes));
    EXPECT_EQ(engine.ErrorNumber(), -1);

    std::uint8_t* block = reinterpret_cast<std::uint8_t*>(1);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.CreateBuffer(&block, 3, 0));
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(engine.ErrorNumber(), -1);
    engine.setErrorNumber(0);
    EXPECT_FALSE(engine.CreateBuffer(&block, -1, 8));
    EXPECT_EQ(engine.ErrorNumber(), -1);
    ASSERT_TRUE(engine.CreateBuffer(&block, 99, 3));
    ASSERT_TRUE(engine.GetBuffer(&address, 99, &bytes));
    EXPECT_EQ(bytes, 3);

    EXPECT_FALSE(engine.ReleaseBuffer(100));
    EXPECT_FALSE(engine.ReleaseBuffer(-1));
    ASSERT_TRUE(engine.ReleaseBuffer(99));
    ASSERT_TRUE(engine.GetBuffer(&address, 99, &bytes));
    EXPECT_EQ(address, nullptr);

    // Reusing a slot replaces the block; a new volume releases every slot.
    ASSERT_TRUE(engine.CreateImageBuffer(&image, 7, 1000));
    ASSERT_TRUE(engine.GetBuffer(&address, 7, &bytes));
    EXPECT_EQ(bytes, 2000);
    ASSERT_TRUE(engine.SetDataProfile(2, 2, 1, 1.0, 1.0, 1.0, 1.0, 0));
    ASSERT_TRUE(engine.GetBuffer(&address, 7, &bytes));
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(bytes, 0);
}

TEST(SliceQueries, RangesAndLowBits)
{
    VazAZUrorav engine;
    EXPECT_EQ(engine.GetImageNumber(0), -1);
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 0), -1);
    std::int16_t low = 0, high = 0;
    EXPECT_FALSE(engine.GetValueMinMax(low, high));

    ASSERT_TRUE(engine.SetDataProfile(2, 2, 3, 1.0, 1.0, 1.0, 1.0, 0));
    const std::int16_t pixels[4] = {5, 0x4000 | 77, 300, 9};
    ASSERT_TRUE(engine.SetDicomImage(pixels, 4, 1.0, 0.0, 12.5));
    ASSERT_TRUE(engine.SetDicomImage(pixels, 8, 1.0, 0.0, 7.5));
    EXPECT_EQ(engine.GetImageNumber(-1), -1);
    EXPECT_EQ(engine.GetImageNumber(1), 8);
    EXPECT_EQ(engine.GetImageNumber(2), -1); // equal to the slices loaded
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(0), 12.5);
    EXPECT_DOUBLE_EQ(engine.GetImageSlicePosition(2), -1.0);
    EXPECT_EQ(engine.GetValueSourceData(1, 0, 0), 77); // flag bits dropped
    EXPECT_EQ(engine.GetValueSourceData(2, 0, 0), -1);
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 3), -1);
}

TEST(ValueRange, MinMaxDataRangeAndHistogram)
{
    VazAZUrorav engine;
    ASSERT_TRUE(engine.SetDataProfile(4, 1, 1, 1.0, 1.0, 1.0, 1.0, 0));
    const std::int16_t pixels[4] = {500, 1001, 20, 1000};
    ASSERT_TRUE(engine.SetDicomImage(pixels, 1, 1.0, 0.0, 0.0));
    std::int16_t low = 0, high = 0;
    ASSERT_TRUE(engine.GetValueMinMax(low, high));
    EXPECT_EQ(low, 20);
    EXPECT_EQ(high, 1001);

    std::vector<std::int32_t> bins(101, -7);
    std::int32_t largest = -1;
    ASSERT_TRUE(engine.GetHistgramVolumeInt(101, bins.data(), 0, 1000, largest));
    EXPECT_EQ(bins[50], 1);
    EXPECT_EQ(bins[100], 2); // 1000 and 1001
    EXPECT_EQ(bins[2], 1);   // 20 * 100 / 1000
    EXPECT_EQ(largest, 2);
    EXPECT_EQ(bins[0], 0);
    EXPECT_FALSE(engine.GetHistgramVolumeInt(101, bins.data(), 1000, 1000, largest));
    EXPECT_FALSE(engine.GetHistgramVolumeInt(101, bins.data(), 1000, 0, largest));
    EXPECT_FALSE(engine.GetHistgramVolumeInt(0, bins.data(), 0, 1000, largest));
    // Below the range goes to bin 0.
    ASSERT_TRUE(engine.GetHistgramVolumeInt(3, bins.data(), 600, 1000, largest));
    EXPECT_EQ(bins[0], 2);
    EXPECT_EQ(bins[1], 0);
    EXPECT_EQ(bins[2], 2);

    ASSERT_TRUE(engine.ChangeDataRange(600));
    ASSERT_TRUE(engine.GetValueMinMax(low, high));
    EXPECT_EQ(high, 600);
    EXPECT_EQ(engine.GetValueSourceData(0, 0, 0), 500);
    EXPECT_FALSE(engine.ChangeDataRange(-1));
}

TEST(Identity, VersionTextAndOrthogonalImageSize)
{
    VazAZUrorav engine;
    std::string text(10, 'x');
    std::int32_t len = 8;
    engine.GetVersion(text, len);
    EXPECT_EQ(len, 13);
    EXPECT_EQ(text, std::string("1, 2xxxxxx"));
    // Never past the caller's string, whatever len says.
    std::string shortText(5, 'x');
    len = 200;
    engine.GetVersion(shortText, len);
    EXPECT_EQ(shortText, "1, 2a");
    std::string longText(40, 'x');
    len = 60;
    engine.GetVersion(longText, len);
    EXPECT_EQ(longText.substr(0, 14), std::string("1, 2a, 5, 928") + '\0');
    EXPECT_EQ(longText[29], '\0');
    EXPECT_EQ(longText[30], 'x');

    std::int32_t dims[2] = {-1, -1};
    ASSERT_TRUE(engine.SetDataProfile(64, 32, 11, 0.5, 0.5, -2.0, 1.0, -1024));
    ASSERT_TRUE(engine.GetDimsOfOrthoImage(dims, 1));
    EXPECT_EQ(dims[0], 64);
    EXPECT_EQ(dims[1], 39); // |-2 / 0.5 * 10 + 1|
    ASSERT_TRUE(engine.GetDimsOfOrthoImage(dims, 2));
    EXPECT_EQ(dims[0], 32);
    ASSERT_TRUE(engine.GetDimsOfOrthoImage(dims, 0));
    EXPECT_EQ(dims[0], 64);
    EXPECT_EQ(dims[1], 32);
    ASSERT_TRUE(engine.SetDICOMProfile(4, 4, 2, 1.0, 1.0, 1.0, 1, 0, 0, 1, 0, 0, 1.0, 0.0)); // code -1
    dims[0] = dims[1] = 123;
    ASSERT_TRUE(engine.GetDimsOfOrthoImage(dims, 1));
    EXPECT_EQ(dims[0], 123);
}

TEST(AboutBoxMember, CallsTheHostsHandlerWhenOneIsInstalled)
{
    VazAZUrorav engine;
    engine.AboutBox(); // no handler: nothing happens
    int shown = 0;
    engine.setAboutBoxHandler([&] { ++shown; });
    engine.AboutBox();
    EXPECT_EQ(shown, 1);
    ASSERT_TRUE(engine.SetDataProfile(4, 4, 2, 1.0, 1.0, 1.0, 1.0, 0)); // a new volume keeps the handler
    engine.AboutBox();
    EXPECT_EQ(shown, 2);
}

TEST(SpecialMethodDispatch, BrickCopyAndAbsentAnalysis)
{
    VazAZUrorav engine;
    std::atomic<int> finished{0};
    engine.setThreadFinished([&] { ++finished; });
    engine.SpecialMethod(9); // no volume: nothing
    engine.SpecialMethod(-1);
    ASSERT_TRUE(engine.SetDataProfile(4, 4, 2, 1.0, 1.0, 1.0, 1.0, 0));
    EXPECT_EQ(finished.load(), 0);
    engine.SpecialMethod(-1);
    // The host waits for ThreadFinished before it calls again.
    ASSERT_TRUE(waitUntil([&] { return finished.load() != 0; }, std::chrono::seconds(10)))
        << "ThreadFinished did not come";
    EXPECT_TRUE(engine.Extracted());
    engine.SpecialMethod(1);
    engine.SpecialMethod(11); // already extracted: no second event
    ASSERT_TRUE(engine.SetDataProfile(4, 4, 2, 1.0, 1.0, 1.0, 1.0, 0));
    EXPECT_EQ(finished.load(), 1);
    engine.SpecialMethod(9);
    engine.SpecialMethod(10);
    EXPECT_TRUE(engine.ChangeImageNum(1));
    EXPECT_FALSE(engine.ChangeImageNum(0));
}

} // namespace
