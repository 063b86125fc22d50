#pragma once

#include "SampleMasking.h"
#include "ViewSampling.h"
#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

// Oblique multiplanar reformat: the plane at depth `plane` of the view,
// trilinear, 0 where the eight neighbours are not all inside the volume.
class ObliqueReformat {
public:
    // reading: ValueBits interpolates the 14-bit values; HonourMask also
    // leaves 0 where any of the eight voxels is masked.
    static void render(const VolumeView& volume, const ViewSampling& view, std::int32_t width,
                       std::int32_t height, std::int32_t plane, std::int16_t* image,
                       MaskReading reading = MaskReading::Plain);
};

} // namespace zvipengine
