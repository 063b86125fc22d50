#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// A 3-D structuring element of nx x ny x nz positions, its centre at
// ((n - 1) / 2) on each axis, kept as runs along x: for every (dy, dz) the
// x offsets dxFirst..dxLast that belong to it.
class StructuringElement {
public:
    struct Run {
        std::int32_t dy, dz, dxFirst, dxLast;
    };

    // entries: nx*ny*nz values, x fastest; the low byte non-zero = part.
    static StructuringElement fromEntries(const std::int16_t* entries, std::int32_t nx, std::int32_t ny,
                                          std::int32_t nz);
    // The ellipsoid inscribed in the box, sampled at position centres:
    // sum over the axes of ((2i + 1 - n) / n)^2 < 1.
    static StructuringElement ellipsoid(std::int32_t nx, std::int32_t ny, std::int32_t nz);
    // The centre and its six face neighbours.
    static StructuringElement cross();

    // Element sizes the engine agrees to build (each axis, and all rows).
    static bool acceptableSize(std::int64_t nx, std::int64_t ny, std::int64_t nz)
    {
        return nx >= 1 && ny >= 1 && nz >= 1 && nx <= 4096 && ny <= 4096 && nz <= 4096 && nx * ny * nz <= (1 << 24);
    }

    bool empty() const { return runs_.empty(); }
    const std::vector<Run>& runs() const { return runs_; }

private:
    template <typename Part>
    static StructuringElement build(std::int32_t nx, std::int32_t ny, std::int32_t nz, const Part& part);
    std::vector<Run> runs_;
};

} // namespace zvipengine
