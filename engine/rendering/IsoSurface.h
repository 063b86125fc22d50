#pragma once

#include "IsoSurfaceMesh.h"

#include "../imaging/VolumeView.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// The byte grid the surface is drawn on: the volume reduced by whole factors
// per axis (block means), each mean r mapped to d = (r - threshold) / 4
// clamped to -127..128 and stored as d + 127 (128 and above: 255), so that
// the surface lies at 127.
struct ByteGrid {
    std::int32_t X = 0, Y = 0, Z = 0;
    std::vector<std::uint8_t> values;
    std::uint8_t at(std::int64_t x, std::int64_t y, std::int64_t z) const
    {
        return values[static_cast<std::size_t>((z * Y + y) * X + x)];
    }
};

class IsoSurface {
public:
    static constexpr std::uint8_t Level = 127;

    // Factor of an axis: floor(pixelSpacing / spacing), at least 1 (also for
    // a zero, negative or non-finite spacing).
    static std::int32_t reductionFactor(float pixelSpacing, float spacing);
    static std::uint8_t byteOf(std::int64_t mean, std::int16_t threshold);
    // False when memory is short.
    static bool reduce(const VolumeView& volume, std::int16_t threshold, const std::int32_t factors[3],
                       std::int32_t processorCount, ByteGrid& grid);
    // Marching cubes at Level: a corner is inside when its byte is above it.
    // Every crossed grid edge gives one vertex, shared by the cells around
    // it. With two processors the slab stack is cut in two halves whose
    // meshes are joined at the shared slice (the result is that of one
    // pass). False when memory is short (the mesh is then cleared).
    static bool extract(const ByteGrid& grid, IsoSurfaceMesh& mesh, std::int32_t processorCount = 1);
};

} // namespace zvipengine
