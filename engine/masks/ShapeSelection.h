#pragma once

#include "MaskBits.h"
#include "PolygonRaster.h"

#include <cstdint>

namespace zvipengine {

// Voxel (x, y, z) in the coordinates of a shape: the row vector times the
// caller's matrix. A row's positions are its first position plus x steps.
struct ShapeTransform {
    double m[16];
    explicit ShapeTransform(const float* matrix)
    {
        for (int i = 0; i < 16; ++i)
            m[i] = matrix[i];
    }
    void rowStart(std::int32_t y, std::int32_t z, double out[3]) const
    {
        for (int a = 0; a < 3; ++a)
            out[a] = y * m[4 + a] + z * m[8 + a] + m[12 + a];
    }
    const double* step() const { return m; }
};

// Row selectors for BitMaskVolume::applyStep and the mark flags: each fills
// selected[x] (1 = selected) for one row. Equality with a shape's boundary
// counts as outside.
class ShapeSelection {
public:
    // Z range min_Z = max_Z = 0 stands for an unbounded range.
    static void unboundedDepth(float& minZ, float& maxZ)
    {
        if (minZ == 0.0f && maxZ == 0.0f) {
            minZ = -32768.0f;
            maxZ = 32767.0f;
        }
    }

    struct Rectangle {
        ShapeTransform transform;
        bool interior; // strictly inside; else outside the closed box
        double minimum[3];
        double maximum[3];
        void operator()(std::int32_t y, std::int32_t z, const std::uint16_t* row, std::uint8_t* selected,
                        std::int32_t length) const;
    };

    struct Cylinder {
        ShapeTransform transform;
        bool interior;
        double centerX, centerY, radiusX, radiusY, minZ, maxZ;
        void operator()(std::int32_t y, std::int32_t z, const std::uint16_t* row, std::uint8_t* selected,
                        std::int32_t length) const;
    };

    struct Ellipsoid {
        ShapeTransform transform;
        bool interior;
        double center[3];
        double radius[3];
        void operator()(std::int32_t y, std::int32_t z, const std::uint16_t* row, std::uint8_t* selected,
                        std::int32_t length) const;
    };

    // Polygon prism: (x', y', z') rounded (+ 0.5, truncated), z' compared
    // strictly with the truncated depth bounds.
    struct PolygonPrism {
        ShapeTransform transform;
        const PolygonRaster* polygon;
        bool interior;
        std::int64_t minZ, maxZ;
        void operator()(std::int32_t y, std::int32_t z, const std::uint16_t* row, std::uint8_t* selected,
                        std::int32_t length) const;
    };

    // By value (the low 14 bits): mode 0 selects min..max, 1 the values
    // outside it, any other mode nothing.
    struct Threshold {
        std::int32_t mode;
        std::int32_t minimum, maximum;
        void operator()(std::int32_t y, std::int32_t z, const std::uint16_t* row, std::uint8_t* selected,
                        std::int32_t length) const;
    };
};

} // namespace zvipengine
