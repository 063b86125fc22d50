#pragma once

#include "MaskBits.h"
#include "ShapeSelection.h"

#include <cstdint>

namespace zvipengine {

// The mark flags in bits 12-13 of the samples. Marks change no mask, no
// mask level count and no visible box.
class MarkFlags {
public:
    static bool validFlag(std::int32_t flag) { return flag >= 0 && flag <= 3; }
    // Every voxel strictly inside the ellipsoid (masked or not) gets `flag`.
    // False when the row scratch cannot be had.
    static bool markEllipsoid(const MaskVolume& volume, const ShapeSelection::Ellipsoid& inside, std::int32_t flag,
                              std::int32_t processorCount);
    static void clearAll(const MaskVolume& volume, std::int32_t processorCount);
    // Within the box: region voxels get `flag`; other voxels carrying `flag`
    // lose it. region: box-sized, x fastest.
    static void markRegion(const MaskVolume& volume, const VoxelBox& box, const std::uint8_t* region,
                           std::int32_t flag);
};

} // namespace zvipengine
