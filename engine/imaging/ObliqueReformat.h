#pragma once

#include "ViewSampling.h"
#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

// Oblique multiplanar reformat: the plane at depth `plane` of the view,
// trilinear, 0 where the eight neighbours are not all inside the volume.
class ObliqueReformat {
public:
    static void render(const VolumeView& volume, const ViewSampling& view, std::int32_t width,
                       std::int32_t height, std::int32_t plane, std::int16_t* image);
};

} // namespace zvipengine
