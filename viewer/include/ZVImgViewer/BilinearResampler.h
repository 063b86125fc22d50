#pragma once

#include <cstdint>
#include <vector>

// Bilinear resampling with the corners aligned. Target column j maps to source
// column j * (Ws - 1) / (Wt - 1): integer part i, fraction fx (rows likewise).
// The weights (1 - fx)(1 - fy), fx(1 - fy), (1 - fx)fy are single precision and
// the fourth is 1 minus the other three; the weighted sum plus 0.01 is
// rounded down (for samples of 0 and above: truncated). 16-bit samples are
// signed, so that a mix of negative and positive samples lies between them. In
// the last column (row) the right (lower) neighbour is the same column (row).
//
// The column and row tables are computed once per size pair; a row is
// produced from two source rows expanded to the target's columns, so the
// per-pixel work is contiguous arithmetic without gathers.
class BilinearResampler
{
public:
    // One axis: for each target position the source index, its neighbour and the fraction.
    struct Axis {
        std::vector<std::int32_t> index;
        std::vector<std::int32_t> next;
        std::vector<float> fraction;
        std::vector<float> complement; // 1 - fraction
    };

    static Axis makeAxis(std::int32_t sourceLength, std::int32_t targetLength);

    // Sets up the tables for a source and target size (kept when unchanged).
    void configure(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t targetWidth, std::int32_t targetHeight);

    const Axis& columns() const { return columns_; }
    const Axis& rows() const { return rows_; }
    std::int32_t targetWidth() const { return targetWidth_; }
    std::int32_t targetHeight() const { return targetHeight_; }

    // Per-thread work space, sized by the caller once per rebuild (target and source widths).
    struct Scratch {
        std::vector<float> converted; // one source row
        std::vector<float> upperLeft, upperRight, lowerLeft, lowerRight;
        std::vector<std::int32_t> values;
        std::int32_t upperRow = -1;
        std::int32_t lowerRow = -1;
        void prepare(std::int32_t width, std::int32_t sourceWidth);
    };

    // Resamples target row y of a signed 16-bit source (rows of sourceWidth
    // samples) into scratch.values (targetWidth values).
    void resampleRow(const std::int16_t* source, std::int32_t y, Scratch& scratch) const;
    // The same for an 8-bit plane.
    void resampleRow(const std::uint8_t* source, std::int32_t y, Scratch& scratch) const;

    // Whole images, for callers that want the samples themselves.
    static void resample(const std::int16_t* source, std::int32_t sourceWidth, std::int32_t sourceHeight,
                         std::int16_t* target, std::int32_t targetWidth, std::int32_t targetHeight);
    static void resample(const std::uint8_t* source, std::int32_t sourceWidth, std::int32_t sourceHeight,
                         std::uint8_t* target, std::int32_t targetWidth, std::int32_t targetHeight);

private:
    template <typename Sample>
    void expandRow(const Sample* sourceRow, std::vector<float>& converted, std::vector<float>& left,
                   std::vector<float>& right) const;
    template <typename Sample>
    void resampleRowOf(const Sample* source, std::int32_t y, Scratch& scratch) const;

    Axis columns_;
    Axis rows_;
    std::int32_t sourceWidth_ = 0;
    std::int32_t sourceHeight_ = 0;
    std::int32_t targetWidth_ = 0;
    std::int32_t targetHeight_ = 0;
};
