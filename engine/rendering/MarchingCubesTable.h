#pragma once

#include <array>
#include <cstdint>

namespace zvipengine {

// The 256 cases of a marching-cubes cell. Corner i of a cell at (x, y, z)
// sits at CornerOffset[i]: bits 0-3 of the case index are the corners
// (x, y+1), (x+1, y+1), (x+1, y), (x, y) of slice z, bits 4-7 the same at
// z + 1; a bit is set when the corner is inside. Edge n joins corners n and
// n + 1 (n = 0-2, 4-6), edge 3 joins 3 and 0, edge 7 joins 7 and 4, and
// edges 8-11 join corner n - 8 to corner n - 4.
//
// The triangles are derived from the cube itself rather than typed in: on
// each face the crossings are paired so that inside corners stay apart (a
// choice that depends on the face alone, so the two cells sharing a face
// always agree and the surface has no holes), the face segments are chained
// into closed loops, and each loop is fanned into triangles. All loops run
// the same way round, so neighbouring triangles wind alike.
class MarchingCubesTable {
public:
    static constexpr std::int32_t MaximumTriangles = 12;

    struct Case {
        std::uint16_t crossedEdges = 0; // bit n: edge n is crossed
        std::int32_t triangleCount = 0;
        std::array<std::int8_t, 3 * MaximumTriangles> edges{}; // three edges per triangle
    };

    static constexpr std::int32_t CornerOffset[8][3] = {{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0},
                                                        {0, 1, 1}, {1, 1, 1}, {1, 0, 1}, {0, 0, 1}};
    static constexpr std::int32_t EdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                                        {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

    static const MarchingCubesTable& instance();
    const Case& operator[](std::int32_t index) const { return cases_[static_cast<std::size_t>(index)]; }

private:
    MarchingCubesTable();
    std::array<Case, 256> cases_;
};

} // namespace zvipengine
