#pragma once

#include "SampleMasking.h"

#include <cstddef>
#include <cstdint>

namespace zvipengine {

// Stretches an image of `slices` lines along the slice direction into the
// output, centring the volume: output line n samples slice coordinate
// e = r*n - ((N - 1)*r - (slices - 1))/2 with r = in-plane spacing / slice
// spacing, linear between slices t and t + 1 (t = e truncated), + 0.5,
// truncated; 0 unless 0 <= e and t < slices - 1. Lines are `length` samples;
// element c of line z is at lines[z * lineStride + c * elementStride].
// Output positions past the line length are 0.
struct SliceLines {
    const std::int16_t* samples = nullptr;
    std::ptrdiff_t lineStride = 0;
    std::ptrdiff_t elementStride = 1;
    std::int32_t length = 0;
    std::int32_t slices = 0;
};

class SliceStretch {
public:
    // Slices run down the output rows (transposed = false: N = height,
    // output columns are line elements) or across the output columns
    // (transposed = true: N = width, output rows are line elements).
    // Masked lines (reading other than Plain) are interpolated through their
    // low 14 bits; HonourMask gives each output the union of the mask bits
    // of its two voxels, so that a viewer can show the mask.
    static void render(const SliceLines& lines, double ratio, bool transposed, std::int32_t width,
                       std::int32_t height, std::int16_t* image, MaskReading reading = MaskReading::Plain);
};

} // namespace zvipengine
