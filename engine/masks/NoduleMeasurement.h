#pragma once

#include "MaskBits.h"

#include <array>
#include <cstdint>

namespace zvipengine {

// Statistics of the visible voxels of the visible box, seen as one nodule:
// count, sum, sum of squares, extremes and a 512-bin histogram of the
// 14-bit values (value / 8, 4096 and above in the last bin), the surface
// (visible voxels that one erosion with the 7-voxel cross removes) and the
// largest distance in millimetres between two surface voxels.
class NoduleMeasurement {
public:
    static constexpr std::int64_t MaximumBoxVoxels = 4000000;
    static constexpr int HistogramBins = 512;

    struct Result {
        bool measured = false; // false: the box was too large, all zeros
        std::int64_t count = 0;
        double sum = 0.0;
        double sumOfSquares = 0.0;
        std::int32_t minimum = 32767;
        std::int32_t maximum = 0;
        std::array<std::int32_t, HistogramBins> histogram{};
        double diameter = 0.0;
        std::int32_t ends[2][3] = {{0, 0, 0}, {0, 0, 0}}; // voxel coordinates of the volume
    };

    // False when the working memory cannot be had.
    static bool measure(const MaskVolume& volume, const VoxelBox& box, double spacingX, double spacingY,
                        double spacingZ, Result& result);
    // `count` values sampled at even steps from ends[0] to ends[1], rounded
    // to the nearest voxel; masked voxels read 0; all 0 when the ends
    // coincide.
    static void lineProfile(const MaskVolume& volume, const Result& result, std::int32_t count, std::int16_t* out);
};

} // namespace zvipengine
