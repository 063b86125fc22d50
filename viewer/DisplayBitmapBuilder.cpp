#include "ZVImgViewer/DisplayBitmapBuilder.h"

#include "ZVImgViewer/ImageSamples.h"

#include "VectorClones.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

DisplayBitmapBuilder::DisplayBitmapBuilder() = default;

namespace {

// Window mapping of one row: one table load per pixel (the sample's 16 bits
// index the table, so no value can read outside it).
template <typename Value>
inline void mapRowOf(const Value* values, const std::uint32_t* table, std::uint32_t* out, std::int32_t count)
{
    for (std::int32_t x = 0; x < count; ++x)
        out[x] = table[static_cast<std::uint16_t>(values[x])];
}

VANTOR_VECTOR_CLONES
void mapRow(const std::int32_t* values, const std::uint32_t* table, std::uint32_t* out, std::int32_t count)
{
    mapRowOf(values, table, out, count);
}

VANTOR_VECTOR_CLONES
void mapRow(const std::int16_t* values, const std::uint32_t* table, std::uint32_t* out, std::int32_t count)
{
    mapRowOf(values, table, out, count);
}

bool resamplingApplies(std::int32_t mode, std::int32_t imageWidth, std::int32_t targetWidth, std::int32_t targetHeight)
{
    // An empty window has nothing to resample to: the image keeps its size.
    return mode != 0 && imageWidth != targetWidth && targetWidth > 0 && targetHeight > 0;
}

} // namespace

bool DisplayBitmapBuilder::rebuild(const ImageSamples& samples, std::int32_t targetWidth, std::int32_t targetHeight)
{
    // Without samples there is no picture: the last one would show another
    // image under whatever the host now claims to show.
    if (samples.address() == nullptr) {
        const bool dropped = hasBitmap_;
        hasBitmap_ = false;
        stale_ = true;
        return dropped;
    }
    if (hasBitmap_) {
        if (bitmap_.width() != targetWidth)
            stale_ = true;
        // A height change alone must resample too, or the picture would be
        // stretched from the old height.
        if (resamplingApplies(resamplingMode_, samples.width(), targetWidth, targetHeight) &&
            bitmap_.height() != targetHeight)
            stale_ = true;
    }
    if (!stale_)
        return false;
    stale_ = false;
    hasBitmap_ = build(samples, targetWidth, targetHeight);
    return true;
}

bool DisplayBitmapBuilder::build(const ImageSamples& samples, std::int32_t targetWidth, std::int32_t targetHeight)
{
    const std::int32_t width = samples.width();
    const std::int32_t height = samples.height();
    if (width <= 0 || height <= 0)
        return false;
    const bool colour = imageType_ != 0;
    const std::uint64_t plane = std::uint64_t(width) * std::uint64_t(height);
    if (samples.knownLength() < plane * (colour ? 3 : 2))
        return false; // the samples shown are shorter than the image: nothing is read past them

    const bool resample = resamplingApplies(resamplingMode_, width, targetWidth, targetHeight);
    const std::int32_t outWidth = resample ? targetWidth : width;
    const std::int32_t outHeight = resample ? targetHeight : height;
    // A bitmap a 32-bit process could not have held is a wrong image size, not a picture.
    if (std::uint64_t(outWidth) * std::uint64_t(outHeight) > largestBitmapPixels)
        return false;
    try {
        bitmap_.reshape(outWidth, outHeight, colour ? DisplayBitmap::Kind::Colour : DisplayBitmap::Kind::Grey);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!colour)
        mapping_.configure(windowLevel_, windowWidth_);
    if (resample)
        resampler_.configure(width, height, outWidth, outHeight);

    const std::int64_t pixelCount = std::int64_t(outWidth) * outHeight;
    int threads = 1;
    if (threadCount_ != 1 && pixelCount >= parallelPixelCount && outHeight >= 2 &&
        std::thread::hardware_concurrency() >= 2)
        threads = 2;
    const std::size_t planes = colour ? 3 : 1;
    for (int t = 0; t < threads; ++t) {
        scratch_[t].resize(planes);
        if (resample)
            for (auto& scratch : scratch_[t])
                scratch.prepare(outWidth, width);
    }

    const void* address = samples.address();
    if (threads == 2) {
        const std::int32_t middle = outHeight / 2;
        try {
            std::thread worker([&] { buildRows(address, width, height, resample, middle, outHeight, scratch_[1]); });
            buildRows(address, width, height, resample, 0, middle, scratch_[0]);
            worker.join();
            return true;
        } catch (const std::system_error&) {
            // No second thread to be had: the calling thread does it all.
        }
    }
    buildRows(address, width, height, resample, 0, outHeight, scratch_[0]);
    return true;
}

void DisplayBitmapBuilder::buildRows(const void* samples, std::int32_t sourceWidth, std::int32_t sourceHeight,
                                     bool resample, std::int32_t firstRow, std::int32_t endRow,
                                     std::vector<BilinearResampler::Scratch>& scratch)
{
    const std::int32_t outWidth = bitmap_.width();
    const auto plane = static_cast<std::size_t>(sourceWidth) * static_cast<std::size_t>(sourceHeight);
    if (imageType_ == 0) {
        const auto* source = static_cast<const std::int16_t*>(samples);
        // Resampled values lie between their samples, so they are 16-bit values too.
        const std::uint32_t* table = mapping_.pixelTable();
        for (std::int32_t y = firstRow; y < endRow; ++y) {
            std::uint32_t* out = bitmap_.row(y);
            if (resample) {
                resampler_.resampleRow(source, y, scratch[0]);
                mapRow(scratch[0].values.data(), table, out, outWidth);
            } else {
                mapRow(source + static_cast<std::size_t>(y) * sourceWidth, table, out, outWidth);
            }
        }
        return;
    }

    const auto* red = static_cast<const std::uint8_t*>(samples);
    const std::uint8_t* green = red + plane;
    const std::uint8_t* blue = green + plane;
    for (std::int32_t y = firstRow; y < endRow; ++y) {
        std::uint32_t* out = bitmap_.row(y);
        if (resample) {
            resampler_.resampleRow(red, y, scratch[0]);
            resampler_.resampleRow(green, y, scratch[1]);
            resampler_.resampleRow(blue, y, scratch[2]);
            const std::int32_t* r = scratch[0].values.data();
            const std::int32_t* g = scratch[1].values.data();
            const std::int32_t* b = scratch[2].values.data();
            for (std::int32_t x = 0; x < outWidth; ++x)
                out[x] = DisplayBitmap::fromRgb(static_cast<std::uint8_t>(std::clamp(r[x], 0, 255)),
                                                static_cast<std::uint8_t>(std::clamp(g[x], 0, 255)),
                                                static_cast<std::uint8_t>(std::clamp(b[x], 0, 255)));
        } else {
            const std::size_t offset = static_cast<std::size_t>(y) * sourceWidth;
            for (std::int32_t x = 0; x < outWidth; ++x)
                out[x] = DisplayBitmap::fromRgb(red[offset + x], green[offset + x], blue[offset + x]);
        }
    }
}
