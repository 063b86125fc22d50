#pragma once

#include <cmath>

namespace zvipengine {

// Shade of a sample from its central differences in the working grid
// (x and y across rays, z along the ray): how squarely the ray meets the
// surface, |gradient along the ray| / |gradient|; 1 where the gradient is
// too weak (length at most 10) to give a direction.
inline double gradientShade(int gx, int gy, int gz)
{
    const double lengthSquared = static_cast<double>(gx) * gx + static_cast<double>(gy) * gy +
                                 static_cast<double>(gz) * gz;
    if (lengthSquared <= 100.0)
        return 1.0;
    return std::abs(gz) / std::sqrt(lengthSquared);
}

} // namespace zvipengine
