#pragma once

#include <cstddef>
#include <cstdint>

namespace zvipengine {

// Read-only view of the volume for the image operations: X x Y x Z samples,
// slice after slice, row after row, and the voxel spacings in millimetres.
struct VolumeView {
    const std::int16_t* samples = nullptr;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
    float spacingX = 0.0f;
    float spacingY = 0.0f;
    float spacingZ = 0.0f;

    bool empty() const { return samples == nullptr || X <= 0 || Y <= 0 || Z <= 0; }
    std::ptrdiff_t sliceSize() const { return static_cast<std::ptrdiff_t>(X) * Y; }
    const std::int16_t* slice(std::int32_t z) const { return samples + sliceSize() * z; }
    const std::int16_t* row(std::int32_t y, std::int32_t z) const
    {
        return samples + sliceSize() * z + static_cast<std::ptrdiff_t>(X) * y;
    }
};

} // namespace zvipengine
