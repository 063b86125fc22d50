#include "MarchingCubesTable.h"

namespace zvipengine {

namespace {

std::int32_t cornerAt(std::int32_t x, std::int32_t y, std::int32_t z)
{
    for (std::int32_t c = 0; c < 8; ++c) {
        const auto& o = MarchingCubesTable::CornerOffset[c];
        if (o[0] == x && o[1] == y && o[2] == z)
            return c;
    }
    return -1;
}

std::int32_t edgeBetween(std::int32_t a, std::int32_t b)
{
    for (std::int32_t e = 0; e < 12; ++e) {
        const auto& c = MarchingCubesTable::EdgeCorners[e];
        if ((c[0] == a && c[1] == b) || (c[0] == b && c[1] == a))
            return e;
    }
    return -1;
}

// The six faces, corners counter-clockwise seen from outside the cube.
struct Faces {
    std::int32_t corners[6][4];
    Faces()
    {
        std::int32_t f = 0;
        for (std::int32_t axis = 0; axis < 3; ++axis) {
            const std::int32_t u = (axis + 1) % 3;
            const std::int32_t v = (axis + 2) % 3;
            for (std::int32_t side = 0; side < 2; ++side, ++f) {
                // (0,0) (1,0) (1,1) (0,1) in (u, v) turns about +axis.
                static constexpr std::int32_t cycle[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                for (std::int32_t k = 0; k < 4; ++k) {
                    std::int32_t p[3];
                    p[axis] = side;
                    p[u] = cycle[k][0];
                    p[v] = cycle[k][1];
                    // The low face looks down -axis: walk it the other way.
                    corners[f][side == 1 ? k : 3 - k] = cornerAt(p[0], p[1], p[2]);
                }
            }
        }
    }
};

// True when the two cube edges lie in one face: a triangle side joining
// their vertices would then run inside that face, where the neighbouring
// cell may draw it too.
bool shareFace(std::int32_t e1, std::int32_t e2)
{
    const std::int32_t corners[4] = {MarchingCubesTable::EdgeCorners[e1][0], MarchingCubesTable::EdgeCorners[e1][1],
                                     MarchingCubesTable::EdgeCorners[e2][0], MarchingCubesTable::EdgeCorners[e2][1]};
    for (std::int32_t axis = 0; axis < 3; ++axis) {
        bool same = true;
        for (std::int32_t k = 1; k < 4; ++k)
            same = same && MarchingCubesTable::CornerOffset[corners[k]][axis] ==
                               MarchingCubesTable::CornerOffset[corners[0]][axis];
        if (same)
            return true;
    }
    return false;
}

// Triangulates the polygon loop[first .. last] (its side last -> first
// included) with no diagonal inside a cube face; false when there is none.
// Loops have at most 12 corners, so the search is small.
bool triangulate(const std::int32_t* loop, std::int32_t first, std::int32_t last, std::int32_t* triangles,
                 std::int32_t& count)
{
    if (last - first < 2)
        return true;
    const std::int32_t saved = count;
    for (std::int32_t k = first + 1; k < last; ++k) {
        const bool leftSide = k == first + 1 || !shareFace(loop[first], loop[k]);
        const bool rightSide = k == last - 1 || !shareFace(loop[k], loop[last]);
        if (!leftSide || !rightSide)
            continue;
        triangles[3 * count] = loop[first];
        triangles[3 * count + 1] = loop[k];
        triangles[3 * count + 2] = loop[last];
        ++count;
        if (triangulate(loop, first, k, triangles, count) && triangulate(loop, k, last, triangles, count))
            return true;
        count = saved;
    }
    return false;
}

} // namespace

const MarchingCubesTable& MarchingCubesTable::instance()
{
    static const MarchingCubesTable table;
    return table;
}

MarchingCubesTable::MarchingCubesTable()
{
    const Faces faces;
    for (std::int32_t index = 0; index < 256; ++index) {
        Case& c = cases_[static_cast<std::size_t>(index)];
        const auto inside = [index](std::int32_t corner) { return ((index >> corner) & 1) != 0; };
        // next[e]: the edge the surface loop reaches after edge e.
        std::int32_t next[12];
        for (std::int32_t& n : next)
            n = -1;
        for (const auto& face : faces.corners) {
            std::int32_t crossing[4];
            bool entering[4];
            std::int32_t count = 0;
            for (std::int32_t k = 0; k < 4; ++k) {
                const std::int32_t a = face[k];
                const std::int32_t b = face[(k + 1) % 4];
                if (inside(a) != inside(b)) {
                    crossing[count] = edgeBetween(a, b);
                    entering[count] = inside(b);
                    ++count;
                }
            }
            // Each run of inside corners is entered and left; the segment
            // closes the run from where it is left back to where it was
            // entered, which keeps separate runs separate.
            for (std::int32_t k = 0; k < count; ++k)
                if (entering[k])
                    next[crossing[(k + 1) % count]] = crossing[k];
        }
        for (std::int32_t e = 0; e < 12; ++e)
            if (next[e] >= 0)
                c.crossedEdges = static_cast<std::uint16_t>(c.crossedEdges | (1u << e));
        bool visited[12] = {};
        for (std::int32_t start = 0; start < 12; ++start) {
            if (next[start] < 0 || visited[start])
                continue;
            std::int32_t loop[12];
            std::int32_t length = 0;
            for (std::int32_t e = start; !visited[e]; e = next[e]) {
                visited[e] = true;
                loop[length++] = e;
            }
            std::int32_t triangles[3 * MaximumTriangles];
            std::int32_t count = 0;
            if (!triangulate(loop, 0, length - 1, triangles, count)) {
                // Not expected for any case; a fan keeps the loop covered.
                count = 0;
                for (std::int32_t k = 1; k + 1 < length; ++k, ++count) {
                    triangles[3 * count] = loop[0];
                    triangles[3 * count + 1] = loop[k];
                    triangles[3 * count + 2] = loop[k + 1];
                }
            }
            for (std::int32_t k = 0; k < 3 * count; ++k)
                c.edges[static_cast<std::size_t>(3 * c.triangleCount + k)] = static_cast<std::int8_t>(triangles[k]);
            c.triangleCount += count;
        }
    }
}

} // namespace zvipengine
