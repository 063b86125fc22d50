#pragma once

#include "ZVIPEngine/VazAZUrorav.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

static_assert(sizeof(IsoSurfacePolygon) == 11 * sizeof(void*), "the published block is eleven handle-sized values");

// The engine's iso-surface result: vertex positions and normals, triangle
// corners, and the published block that points into them.
class IsoSurfaceMesh {
public:
    std::vector<float> x, y, z;
    std::vector<float> nx, ny, nz;
    std::vector<std::int32_t> corner0, corner1, corner2;

    void clear()
    {
        *this = IsoSurfaceMesh();
    }
    std::int64_t vertexCount() const { return static_cast<std::int64_t>(x.size()); }
    std::int64_t triangleCount() const { return static_cast<std::int64_t>(corner0.size()); }
    // Points the published block at the arrays (null for empty ones).
    const IsoSurfacePolygon* publish()
    {
        block_ = {x.data(), y.data(), z.data(), nx.data(), ny.data(), nz.data(),
                  corner0.data(), corner1.data(), corner2.data(),
                  static_cast<std::intptr_t>(vertexCount()), static_cast<std::intptr_t>(triangleCount())};
        return &block_;
    }

private:
    IsoSurfacePolygon block_{};
};

} // namespace zvipengine
