#pragma once

#include "ObliqueProjection.h"
#include "SampleMasking.h"
#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

// Orthogonal slab projections (MIP, MinIP, mean) of axes 0, 1 and 2. The slab
// covers plane - depth/2 .. plane - depth/2 + depth - 1 and is clipped to the
// volume. Axis 0 combines whole slices (the output must be X x Y); axes 1 and
// 2 combine the slab's rows or columns of every slice into one line and
// stretch the lines along the slices as the orthogonal reformat does. The
// mean divides by the number of slab positions inside the volume, at both
// ends, so that a slab reaching past the last slice is not darkened.
class OrthogonalProjection {
public:
    enum class Outcome { Written, NotWritten, InvalidArgument };
    // reading: ValueBits combines the 14-bit values of every voxel,
    // HonourMask only the voxels without mask bits.
    static Outcome render(ProjectionKind kind, const VolumeView& volume, std::int32_t width, std::int32_t height,
                          std::int32_t axis, std::int32_t plane, std::int32_t depth, std::int16_t* image,
                          MaskReading reading = MaskReading::Plain);
};

} // namespace zvipengine
