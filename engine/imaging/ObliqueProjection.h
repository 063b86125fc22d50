#pragma once

#include "BrickVolume.h"
#include "SampleMasking.h"
#include "ViewSampling.h"
#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

enum class ProjectionKind { Maximum, Minimum, Mean };

// One slab projection along the view's depth axis.
struct ProjectionRequest {
    ProjectionKind kind = ProjectionKind::Maximum;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t start = 0;  // first depth of the slab
    std::int32_t depth = 1;  // slab thickness in steps (at least 1)
    bool accumulate = false; // combine with the image's existing values (the Add forms)
};

// Oblique slab projections (MIP, MinIP, mean). Each ray starts at its first
// depth that can be inside the volume and ends at its first outside sample
// after entry; neither changes the result. Rows rowBegin..rowEnd-1 of the
// full image are written, so strips and threads can share one image.
class ObliqueProjection {
public:
    static constexpr int MinimumStart = 16384;

    // bricks: read the brick copy instead of the volume (null: the volume).
    // reading other than Plain reads the volume through the 14-bit values
    // (the brick copy is then not used); HonourMask skips every sample with
    // a masked voxel among its eight.
    static void renderRows(const VolumeView& volume, const BrickVolume* bricks, const ViewSampling& view,
                           const ProjectionRequest& request, std::int32_t rowBegin, std::int32_t rowEnd,
                           std::int16_t* image, MaskReading reading = MaskReading::Plain);
};

} // namespace zvipengine
