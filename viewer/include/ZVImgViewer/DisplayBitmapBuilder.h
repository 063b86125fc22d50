#pragma once

#include "ZVImgViewer/BilinearResampler.h"
#include "ZVImgViewer/DisplayBitmap.h"
#include "ZVImgViewer/WindowMapping.h"

#include <cstdint>
#include <vector>

class ImageSamples;

// Turns the samples into the display bitmap: 16-bit grey through the window
// mapping, or three colour planes, resampled to the window's size first when
// resampling is on. Keeps the stale flag: a rebuild happens only when the
// samples or the settings changed or the window no longer matches.
class DisplayBitmapBuilder
{
public:
    DisplayBitmapBuilder();

    std::int32_t windowLevel() const { return windowLevel_; }
    std::int32_t windowWidth() const { return windowWidth_; }
    std::int32_t resamplingMode() const { return resamplingMode_; }
    std::int16_t imageType() const { return imageType_; }
    void setWindowLevel(std::int32_t value) { windowLevel_ = value; stale_ = true; }
    void setWindowWidth(std::int32_t value) { windowWidth_ = value; stale_ = true; }
    void setResamplingMode(std::int32_t value) { resamplingMode_ = value; stale_ = true; }
    void setImageType(std::int16_t value) { imageType_ = value; stale_ = true; }

    void markStale() { stale_ = true; }
    void clearStale() { stale_ = false; }
    bool stale() const { return stale_; }

    // Rebuilds when needed for a window of targetWidth x targetHeight pixels
    // (device pixels: resampling aims at them). Does nothing without samples.
    // Returns true when the bitmap was rebuilt.
    bool rebuild(const ImageSamples& samples, std::int32_t targetWidth, std::int32_t targetHeight);

    // nullptr until a bitmap has been built (or after samples that cannot be shown).
    const DisplayBitmap* bitmap() const { return hasBitmap_ ? &bitmap_ : nullptr; }

    // Two threads pay for outputs of at least this many pixels (a 1024 x 512
    // window and up); below, starting the second thread costs what it saves.
    static constexpr std::int64_t parallelPixelCount = 1 << 19;
    // Larger images (2 GiB of bitmap and up) are refused.
    static constexpr std::uint64_t largestBitmapPixels = std::uint64_t{1} << 29;
    // For benchmarks and tests: 0 lets the builder choose, 1 forces one thread.
    void setThreadCount(int count) { threadCount_ = count; }

private:
    bool build(const ImageSamples& samples, std::int32_t targetWidth, std::int32_t targetHeight);
    void buildRows(const void* samples, std::int32_t sourceWidth, std::int32_t sourceHeight, bool resample,
                   std::int32_t firstRow, std::int32_t endRow, std::vector<BilinearResampler::Scratch>& scratch);

    WindowMapping mapping_;
    BilinearResampler resampler_;
    DisplayBitmap bitmap_;
    std::vector<BilinearResampler::Scratch> scratch_[2];
    std::int32_t windowLevel_ = 500;
    std::int32_t windowWidth_ = 1000;
    std::int32_t resamplingMode_ = 0;
    std::int16_t imageType_ = 0;
    bool stale_ = false;
    bool hasBitmap_ = false;
    int threadCount_ = 0;
};
