#include "ViewSampling.h"

namespace zvipengine {

ViewSampling ViewSampling::fromMatrix(const float* matrix, std::int32_t width, std::int32_t height,
                                      double pixelSpacing)
{
    ViewSampling s;
    const double halfWidth = width / 2.0;
    const double halfHeight = height / 2.0;
    for (int a = 0; a < 3; ++a) {
        s.column[a] = pixelSpacing * matrix[a];
        s.row[a] = pixelSpacing * matrix[4 + a];
        s.depth[a] = pixelSpacing * matrix[8 + a];
        s.origin[a] = -halfWidth * s.column[a] - halfHeight * s.row[a] + matrix[12 + a];
    }
    return s;
}

} // namespace zvipengine
