#pragma once

#include "VolumeView.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace zvipengine {

// A sample position is inside when all eight neighbours exist:
// 0 <= q < dim - 1 on every axis. The comparisons are made on the double
// before any conversion, so NaN, infinite or huge positions are simply
// outside (truncating them to int would be undefined).
struct SampleLimits {
    double limitX;
    double limitY;
    double limitZ;
    explicit SampleLimits(const VolumeView& v) : limitX(v.X - 1.0), limitY(v.Y - 1.0), limitZ(v.Z - 1.0) {}
    bool inside(const double q[3]) const
    {
        return q[0] >= 0.0 && q[0] < limitX && q[1] >= 0.0 && q[1] < limitY && q[2] >= 0.0 && q[2] < limitZ;
    }
};

// Trilinear interpolation of the eight voxels at p, p+1, p+rowStride, ...,
// plus 0.5, truncated. Voxels are read as signed 16-bit.
inline int interpolateTrilinear(const std::int16_t* p, std::ptrdiff_t rowStride, std::ptrdiff_t sliceStride,
                                float fx, float fy, float fz)
{
    const float v000 = p[0];
    const float v100 = p[1];
    const float v010 = p[rowStride];
    const float v110 = p[rowStride + 1];
    const float v001 = p[sliceStride];
    const float v101 = p[sliceStride + 1];
    const float v011 = p[sliceStride + rowStride];
    const float v111 = p[sliceStride + rowStride + 1];
    const float c00 = v000 + fx * (v100 - v000);
    const float c10 = v010 + fx * (v110 - v010);
    const float c01 = v001 + fx * (v101 - v001);
    const float c11 = v011 + fx * (v111 - v011);
    const float c0 = c00 + fy * (c10 - c00);
    const float c1 = c01 + fy * (c11 - c01);
    return static_cast<int>(c0 + fz * (c1 - c0) + 0.5f);
}

// The eight voxels around a sample position and the fractions between them.
struct VoxelCell {
    const std::int16_t* p;
    std::ptrdiff_t rowStride;
    std::ptrdiff_t sliceStride;
    float fx, fy, fz;

    int interpolate() const { return interpolateTrilinear(p, rowStride, sliceStride, fx, fy, fz); }
    int largest() const
    {
        const int a = std::max(std::max(p[0], p[1]), std::max(p[rowStride], p[rowStride + 1]));
        const int b = std::max(std::max(p[sliceStride], p[sliceStride + 1]),
                               std::max(p[sliceStride + rowStride], p[sliceStride + rowStride + 1]));
        return std::max(a, b);
    }
    int smallest() const
    {
        const int a = std::min(std::min(p[0], p[1]), std::min(p[rowStride], p[rowStride + 1]));
        const int b = std::min(std::min(p[sliceStride], p[sliceStride + 1]),
                               std::min(p[sliceStride + rowStride], p[sliceStride + rowStride + 1]));
        return std::min(a, b);
    }
};

// Reads the volume in place.
struct DirectVoxelReader {
    const std::int16_t* samples;
    std::ptrdiff_t rowStride;
    std::ptrdiff_t sliceStride;
    explicit DirectVoxelReader(const VolumeView& v)
        : samples(v.samples), rowStride(v.X), sliceStride(v.sliceSize())
    {
    }
    VoxelCell cell(const double q[3]) const
    {
        const int a = static_cast<int>(q[0]);
        const int b = static_cast<int>(q[1]);
        const int c = static_cast<int>(q[2]);
        return {samples + a + rowStride * b + sliceStride * c, rowStride, sliceStride, static_cast<float>(q[0] - a),
                static_cast<float>(q[1] - b), static_cast<float>(q[2] - c)};
    }
    int sample(const double q[3]) const { return cell(q).interpolate(); }
};

} // namespace zvipengine
