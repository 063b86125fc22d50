#pragma once

#include "../imaging/ViewSampling.h"
#include "../imaging/VolumeView.h"

#include <cstdint>

namespace zvipengine {

// A rendering limited to the structure at the image centre: the slab is
// resampled into a stack, the samples above the lower bound are opened up
// (eroded once, the component holding the stack's central sample kept,
// dilated twice) and everything else is cleared; then each inner pixel's
// ray accumulates the shaded samples with a linear opacity ramp from the
// lower to the upper bound. Border pixels are 0.
class CentralStructureRenderer {
public:
    struct Request {
        ViewSampling view;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t start = 0;
        std::int32_t depth = 1;
        std::int16_t minimum = 0;
        std::int16_t maximum = 0;
        double transmission = 1.0;
        // While a mask is in force: read the voxels' values without their
        // mask bits (masked voxels are not left out).
        bool valueBits = false;
    };
    // False when the working memory cannot be had (the image untouched).
    static bool render(const VolumeView& volume, const Request& request, std::int16_t* image,
                       std::int32_t processorCount);
};

} // namespace zvipengine
