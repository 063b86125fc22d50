#include "ZVImgViewer/BilinearResampler.h"

#include "VectorClones.h"

#include <algorithm>
#include <limits>
#include <utility>

BilinearResampler::Axis BilinearResampler::makeAxis(std::int32_t sourceLength, std::int32_t targetLength)
{
    Axis axis;
    if (sourceLength <= 0 || targetLength <= 0)
        return axis;
    const auto count = static_cast<std::size_t>(targetLength);
    axis.index.resize(count);
    axis.next.resize(count);
    axis.fraction.resize(count);
    axis.complement.resize(count);
    // A one-pixel target takes the first source position (no division by zero).
    const std::int64_t denominator = targetLength > 1 ? targetLength - 1 : 1;
    const std::int64_t span = targetLength > 1 ? sourceLength - 1 : 0;
    for (std::int32_t j = 0; j < targetLength; ++j) {
        const std::int64_t position = std::int64_t{j} * span;
        const auto index = static_cast<std::int32_t>(position / denominator);
        const float fraction = static_cast<float>(position - index * denominator) / static_cast<float>(denominator);
        axis.index[j] = index;
        axis.next[j] = std::min(index + 1, sourceLength - 1);
        axis.fraction[j] = fraction;
        axis.complement[j] = 1.0f - fraction;
    }
    return axis;
}

void BilinearResampler::configure(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t targetWidth,
                                  std::int32_t targetHeight)
{
    if (sourceWidth != sourceWidth_ || targetWidth != targetWidth_)
        columns_ = makeAxis(sourceWidth, targetWidth);
    if (sourceHeight != sourceHeight_ || targetHeight != targetHeight_)
        rows_ = makeAxis(sourceHeight, targetHeight);
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    targetWidth_ = targetWidth;
    targetHeight_ = targetHeight;
}

void BilinearResampler::Scratch::prepare(std::int32_t width, std::int32_t sourceWidth)
{
    converted.resize(static_cast<std::size_t>(std::max(sourceWidth, 0)));
    const auto count = static_cast<std::size_t>(std::max(width, 0));
    for (auto* buffer : {&upperLeft, &upperRight, &lowerLeft, &lowerRight})
        buffer->resize(count);
    values.resize(count);
    upperRow = -1;
    lowerRow = -1;
}

namespace {

// The per-pixel mix of one target row.
VANTOR_VECTOR_CLONES
void mixRow(const float* fx, const float* ax, float fy, float ay, const float* upperLeft, const float* upperRight,
            const float* lowerLeft, const float* lowerRight, std::int32_t* values, std::int32_t count)
{
    for (std::int32_t j = 0; j < count; ++j) {
        const float w00 = ax[j] * ay;
        const float w10 = fx[j] * ay;
        const float w01 = ax[j] * fy;
        const float w11 = 1.0f - w00 - w10 - w01;
        // A zero weight adds exactly zero, the same as skipping its sample.
        const float sum = w00 * upperLeft[j] + w10 * upperRight[j] + w01 * lowerLeft[j] + w11 * lowerRight[j] + 0.01f;
        // Rounded down: for samples of 0 and above the same as truncation,
        // and a negative sample mixed with itself stays that sample.
        const auto truncated = static_cast<std::int32_t>(sum);
        values[j] = truncated - (static_cast<float>(truncated) > sum ? 1 : 0);
    }
}

VANTOR_VECTOR_CLONES
void pickColumns(const float* row, const std::int32_t* index, const std::int32_t* next, float* left, float* right,
                 std::int32_t count)
{
    for (std::int32_t j = 0; j < count; ++j) {
        left[j] = row[index[j]];
        right[j] = row[next[j]];
    }
}

} // namespace

template <typename Sample>
void BilinearResampler::expandRow(const Sample* sourceRow, std::vector<float>& converted, std::vector<float>& left,
                                  std::vector<float>& right) const
{
    // Each source sample is converted once, then picked for every column that uses it.
    float* row = converted.data();
    const std::int32_t width = sourceWidth_;
    for (std::int32_t i = 0; i < width; ++i)
        row[i] = static_cast<float>(sourceRow[i]);
    pickColumns(row, columns_.index.data(), columns_.next.data(), left.data(), right.data(), targetWidth_);
}

template <typename Sample>
void BilinearResampler::resampleRowOf(const Sample* source, std::int32_t y, Scratch& scratch) const
{
    const std::int32_t upper = rows_.index[y];
    const std::int32_t lower = rows_.next[y];
    const auto rowAt = [&](std::int32_t row) { return source + static_cast<std::size_t>(row) * sourceWidth_; };

    // Consecutive target rows share source rows: keep the two expanded ones.
    if (scratch.upperRow != upper) {
        if (scratch.lowerRow == upper) {
            std::swap(scratch.upperLeft, scratch.lowerLeft);
            std::swap(scratch.upperRight, scratch.lowerRight);
            std::swap(scratch.upperRow, scratch.lowerRow);
        } else {
            expandRow(rowAt(upper), scratch.converted, scratch.upperLeft, scratch.upperRight);
            scratch.upperRow = upper;
        }
    }
    if (scratch.lowerRow != lower) {
        expandRow(rowAt(lower), scratch.converted, scratch.lowerLeft, scratch.lowerRight);
        scratch.lowerRow = lower;
    }

    mixRow(columns_.fraction.data(), columns_.complement.data(), rows_.fraction[y], rows_.complement[y],
           scratch.upperLeft.data(), scratch.upperRight.data(), scratch.lowerLeft.data(), scratch.lowerRight.data(),
           scratch.values.data(), targetWidth_);
}

void BilinearResampler::resampleRow(const std::int16_t* source, std::int32_t y, Scratch& scratch) const
{
    resampleRowOf(source, y, scratch);
}

void BilinearResampler::resampleRow(const std::uint8_t* source, std::int32_t y, Scratch& scratch) const
{
    resampleRowOf(source, y, scratch);
}

namespace {

template <typename Sample>
void resampleImage(const Sample* source, std::int32_t sourceWidth, std::int32_t sourceHeight, Sample* target,
                   std::int32_t targetWidth, std::int32_t targetHeight)
{
    if (source == nullptr || target == nullptr || sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 ||
        targetHeight <= 0)
        return;
    BilinearResampler resampler;
    resampler.configure(sourceWidth, sourceHeight, targetWidth, targetHeight);
    BilinearResampler::Scratch scratch;
    scratch.prepare(targetWidth, sourceWidth);
    constexpr std::int32_t lowest = std::numeric_limits<Sample>::min();
    constexpr std::int32_t highest = std::numeric_limits<Sample>::max();
    for (std::int32_t y = 0; y < targetHeight; ++y) {
        resampler.resampleRow(source, y, scratch);
        Sample* out = target + static_cast<std::size_t>(y) * targetWidth;
        for (std::int32_t x = 0; x < targetWidth; ++x)
            out[x] = static_cast<Sample>(std::clamp(scratch.values[x], lowest, highest));
    }
}

} // namespace

void BilinearResampler::resample(const std::int16_t* source, std::int32_t sourceWidth, std::int32_t sourceHeight,
                                 std::int16_t* target, std::int32_t targetWidth, std::int32_t targetHeight)
{
    resampleImage(source, sourceWidth, sourceHeight, target, targetWidth, targetHeight);
}

void BilinearResampler::resample(const std::uint8_t* source, std::int32_t sourceWidth, std::int32_t sourceHeight,
                                 std::uint8_t* target, std::int32_t targetWidth, std::int32_t targetHeight)
{
    resampleImage(source, sourceWidth, sourceHeight, target, targetWidth, targetHeight);
}
