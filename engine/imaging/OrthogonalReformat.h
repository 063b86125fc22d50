#pragma once

#include "SampleMasking.h"
#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

// Orthogonal slices: axis 0 axial (a copy of slice `plane`), 1 coronal (row
// `plane` of every slice), 2 sagittal (column `plane`), 13 and 14 coronal and
// sagittal with rows and columns exchanged. Along the slices the image is
// stretched to square pixels and centred (SliceStretch).
class OrthogonalReformat {
public:
    static bool validAxis(std::int32_t axis) { return axis == 0 || axis == 1 || axis == 2 || axis == 13 || axis == 14; }
    // Writes nothing and returns false when the plane lies outside the volume.
    // reading: ValueBits gives 14-bit values; HonourMask 14-bit values with
    // the mask bits of the voxels they come from.
    static bool render(const VolumeView& volume, std::int32_t width, std::int32_t height, std::int32_t axis,
                       std::int32_t plane, std::int16_t* image, MaskReading reading = MaskReading::Plain);
    // Along-slice scale of a coronal (x) or sagittal (y) image.
    static double sliceRatio(const VolumeView& volume, bool sagittal);
};

} // namespace zvipengine
