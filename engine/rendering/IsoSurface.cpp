#include "IsoSurface.h"

#include "MarchingCubesTable.h"
#include "../imaging/TwoThreadSplit.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <new>

namespace zvipengine {

std::int32_t IsoSurface::reductionFactor(float pixelSpacing, float spacing)
{
    const double ratio = double(pixelSpacing) / spacing;
    if (!(spacing > 0.0f) || !std::isfinite(ratio) || ratio < 1.0)
        return 1;
    return static_cast<std::int32_t>(std::min(ratio, 1.0e9));
}

std::uint8_t IsoSurface::byteOf(std::int64_t mean, std::int16_t threshold)
{
    const std::int64_t d = (mean - threshold) / 4;
    if (d >= 128)
        return 255;
    if (d < -127)
        return 0;
    return static_cast<std::uint8_t>(d + 127);
}

bool IsoSurface::reduce(const VolumeView& volume, std::int16_t threshold, const std::int32_t factors[3],
                        std::int32_t processorCount, ByteGrid& grid)
{
    const std::int32_t kx = factors[0], ky = factors[1], kz = factors[2];
    grid.X = volume.X / kx;
    grid.Y = volume.Y / ky;
    grid.Z = volume.Z / kz;
    try {
        grid.values.assign(static_cast<std::size_t>(std::int64_t{grid.X} * grid.Y * grid.Z), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::int64_t block = std::int64_t{kx} * ky * kz;
    return TwoThreadSplit::run(grid.Z, processorCount, 2, [&](std::int64_t begin, std::int64_t end) {
        std::vector<std::int64_t> sums;
        try {
            sums.resize(static_cast<std::size_t>(grid.X));
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (std::int64_t rz = begin; rz < end; ++rz)
            for (std::int64_t ry = 0; ry < grid.Y; ++ry) {
                std::fill(sums.begin(), sums.end(), std::int64_t{0});
                for (std::int64_t dz = 0; dz < kz; ++dz)
                    for (std::int64_t dy = 0; dy < ky; ++dy) {
                        const std::int16_t* row = volume.samples + ((rz * kz + dz) * volume.Y + ry * ky + dy) *
                                                                       std::int64_t{volume.X};
                        if (kx == 1) {
                            for (std::int64_t rx = 0; rx < grid.X; ++rx)
                                sums[static_cast<std::size_t>(rx)] += row[rx];
                        } else {
                            for (std::int64_t rx = 0; rx < grid.X; ++rx) {
                                std::int64_t s = 0;
                                for (std::int64_t dx = 0; dx < kx; ++dx)
                                    s += row[rx * kx + dx];
                                sums[static_cast<std::size_t>(rx)] += s;
                            }
                        }
                    }
                std::uint8_t* out = grid.values.data() + (rz * grid.Y + ry) * grid.X;
                for (std::int64_t rx = 0; rx < grid.X; ++rx)
                    out[rx] = byteOf(sums[static_cast<std::size_t>(rx)] / block, threshold);
            }
        return true;
    });
}

namespace {

// Derivative of the byte grid along one axis at position i of n samples:
// central inside, second-order one-sided at the ends (a plain difference
// when the axis has only two samples).
inline float derivative(std::int32_t i, std::int32_t n, const std::uint8_t* at, std::int64_t step)
{
    if (n < 2)
        return 0.0f;
    if (n == 2)
        return float(at[(1 - i) * step] - at[-i * step]);
    if (i == 0)
        return 0.5f * float(4 * at[step] - 3 * at[0] - at[2 * step]);
    if (i == n - 1)
        return 0.5f * float(at[-2 * step] - 4 * at[-step] + 3 * at[0]);
    return 0.5f * float(at[step] - at[-step]);
}

struct Gradient {
    float x, y, z;
};

Gradient gradientAt(const ByteGrid& g, std::int32_t x, std::int32_t y, std::int32_t z)
{
    const std::uint8_t* at = g.values.data() + (std::int64_t{z} * g.Y + y) * g.X + x;
    const std::int64_t row = g.X;
    const std::int64_t slice = std::int64_t{g.X} * g.Y;
    return {derivative(x, g.X, at, 1), derivative(y, g.Y, at, row),
            derivative(z, g.Z, at, slice)};
}

// Vertex indices of the crossed grid edges around the current slice pair:
// edges along x and y in the lower and upper slice, edges along z between.
class EdgeCache {
public:
    bool prepare(std::int32_t nx, std::int32_t ny)
    {
        nx_ = nx;
        try {
            const std::size_t plane = static_cast<std::size_t>(std::int64_t{nx} * ny);
            for (auto* v : {&lowerX_, &lowerY_, &upperX_, &upperY_, &alongZ_})
                v->assign(plane, -1);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    // The upper slice becomes the lower one of the next pair.
    void advance()
    {
        std::swap(lowerX_, upperX_);
        std::swap(lowerY_, upperY_);
        std::fill(upperX_.begin(), upperX_.end(), -1);
        std::fill(upperY_.begin(), upperY_.end(), -1);
        std::fill(alongZ_.begin(), alongZ_.end(), -1);
    }
    // Vertex numbers of the edges along x and y in the lower / upper slice.
    void copyLower(std::vector<std::int32_t>& out) const
    {
        out = lowerX_;
        out.insert(out.end(), lowerY_.begin(), lowerY_.end());
    }
    void copyUpper(std::vector<std::int32_t>& out) const
    {
        out = upperX_;
        out.insert(out.end(), upperY_.begin(), upperY_.end());
    }
    // axis 0/1/2, base corner (x, y) of the edge, upper: in slice z + 1.
    std::int32_t& slot(std::int32_t axis, std::int32_t x, std::int32_t y, bool upper)
    {
        const std::size_t i = static_cast<std::size_t>(std::int64_t{y} * nx_ + x);
        if (axis == 2)
            return alongZ_[i];
        if (axis == 0)
            return upper ? upperX_[i] : lowerX_[i];
        return upper ? upperY_[i] : lowerY_[i];
    }

private:
    std::int32_t nx_ = 0;
    std::vector<std::int32_t> lowerX_, lowerY_, upperX_, upperY_, alongZ_;
};

struct EdgeGeometry {
    std::int32_t axis;
    std::int32_t base[3]; // offset of the lower end within the cell
};

std::array<EdgeGeometry, 12> edgeGeometry()
{
    std::array<EdgeGeometry, 12> edges{};
    for (std::int32_t e = 0; e < 12; ++e) {
        const auto& a = MarchingCubesTable::CornerOffset[MarchingCubesTable::EdgeCorners[e][0]];
        const auto& b = MarchingCubesTable::CornerOffset[MarchingCubesTable::EdgeCorners[e][1]];
        for (std::int32_t k = 0; k < 3; ++k) {
            if (a[k] != b[k])
                edges[static_cast<std::size_t>(e)].axis = k;
            edges[static_cast<std::size_t>(e)].base[k] = std::min(a[k], b[k]);
        }
    }
    return edges;
}

void addVertex(const ByteGrid& g, IsoSurfaceMesh& mesh, std::int32_t axis, std::int32_t x, std::int32_t y,
               std::int32_t z)
{
    const std::int32_t q[3] = {x + (axis == 0), y + (axis == 1), z + (axis == 2)};
    const float a = g.at(x, y, z);
    const float b = g.at(q[0], q[1], q[2]);
    float t = (a - IsoSurface::Level) / (a - b);
    if (t < 0.000001f)
        t = 0.0f;
    else if (t > 0.999999f)
        t = 1.0f;
    const float p[3] = {float(x), float(y), float(z)};
    mesh.x.push_back(p[0] + (axis == 0 ? t : 0.0f));
    mesh.y.push_back(p[1] + (axis == 1 ? t : 0.0f));
    mesh.z.push_back(p[2] + (axis == 2 ? t : 0.0f));
    const Gradient ga = gradientAt(g, x, y, z);
    const Gradient gb = gradientAt(g, q[0], q[1], q[2]);
    float n[3] = {ga.x + t * (gb.x - ga.x), ga.y + t * (gb.y - ga.y), ga.z + t * (gb.z - ga.z)};
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0.000001f) {
        n[0] /= length;
        n[1] /= length;
        n[2] /= length;
    } else {
        n[0] = 1.0f;
        n[1] = n[2] = 0.0f;
    }
    mesh.nx.push_back(n[0]);
    mesh.ny.push_back(n[1]);
    mesh.nz.push_back(n[2]);
}

// Marching cubes over the slice pairs zBegin .. zEnd - 1 into `mesh`. The
// vertex numbers of the x and y edges of slice zBegin go to `firstSlice`,
// those of slice zEnd to `lastSlice`. Throws std::bad_alloc.
void march(const ByteGrid& g, std::int32_t zBegin, std::int32_t zEnd, IsoSurfaceMesh& mesh,
           std::vector<std::int32_t>& firstSlice, std::vector<std::int32_t>& lastSlice)
{
    const MarchingCubesTable& table = MarchingCubesTable::instance();
    static const std::array<EdgeGeometry, 12> edges = edgeGeometry();
    EdgeCache cache;
    if (!cache.prepare(g.X, g.Y))
        throw std::bad_alloc();
    const std::int64_t row = g.X;
    const std::int64_t slice = std::int64_t{g.X} * g.Y;
    for (std::int32_t z = zBegin; z < zEnd; ++z) {
        if (z > zBegin) {
            if (z == zBegin + 1)
                cache.copyLower(firstSlice);
            cache.advance();
        }
        for (std::int32_t y = 0; y + 1 < g.Y; ++y) {
            const std::uint8_t* low = g.values.data() + z * slice + y * row;
            const std::uint8_t* high = low + slice;
            for (std::int32_t x = 0; x + 1 < g.X; ++x) {
                // Corners 0..3: (x, y+1), (x+1, y+1), (x+1, y), (x, y).
                const std::int32_t index =
                    (low[x + row] > IsoSurface::Level) | (low[x + 1 + row] > IsoSurface::Level) << 1 |
                    (low[x + 1] > IsoSurface::Level) << 2 | (low[x] > IsoSurface::Level) << 3 |
                    (high[x + row] > IsoSurface::Level) << 4 | (high[x + 1 + row] > IsoSurface::Level) << 5 |
                    (high[x + 1] > IsoSurface::Level) << 6 | (high[x] > IsoSurface::Level) << 7;
                if (index == 0 || index == 255)
                    continue;
                const MarchingCubesTable::Case& c = table[index];
                std::int32_t vertexOfEdge[12];
                for (std::int32_t e = 0; e < 12; ++e) {
                    if (((c.crossedEdges >> e) & 1) == 0)
                        continue;
                    const EdgeGeometry& geometry = edges[static_cast<std::size_t>(e)];
                    const std::int32_t bx = x + geometry.base[0];
                    const std::int32_t by = y + geometry.base[1];
                    std::int32_t& vertex = cache.slot(geometry.axis, bx, by, geometry.base[2] == 1);
                    if (vertex < 0) {
                        if (mesh.x.size() >= static_cast<std::size_t>(INT32_MAX))
                            throw std::bad_alloc();
                        vertex = static_cast<std::int32_t>(mesh.x.size());
                        addVertex(g, mesh, geometry.axis, bx, by, z + geometry.base[2]);
                    }
                    vertexOfEdge[e] = vertex;
                }
                for (std::int32_t t = 0; t < c.triangleCount; ++t) {
                    mesh.corner0.push_back(vertexOfEdge[c.edges[static_cast<std::size_t>(3 * t)]]);
                    mesh.corner1.push_back(vertexOfEdge[c.edges[static_cast<std::size_t>(3 * t + 1)]]);
                    mesh.corner2.push_back(vertexOfEdge[c.edges[static_cast<std::size_t>(3 * t + 2)]]);
                }
            }
        }
    }
    if (zEnd == zBegin + 1)
        cache.copyLower(firstSlice);
    cache.copyUpper(lastSlice);
}

// Appends the mesh of the upper slabs to that of the lower ones. The shared
// slice's vertices were made by both halves; the upper half's copies are
// dropped and its triangles renumbered, which gives exactly the mesh of one
// pass. Throws std::bad_alloc.
void appendUpperHalf(IsoSurfaceMesh& mesh, const IsoSurfaceMesh& upper, const std::vector<std::int32_t>& sharedBelow,
                     const std::vector<std::int32_t>& sharedAbove)
{
    std::vector<std::int32_t> renumber(upper.x.size(), -1);
    for (std::size_t i = 0; i < sharedAbove.size(); ++i)
        if (sharedAbove[i] >= 0)
            renumber[static_cast<std::size_t>(sharedAbove[i])] = sharedBelow[i];
    for (std::size_t v = 0; v < upper.x.size(); ++v) {
        if (renumber[v] >= 0)
            continue;
        if (mesh.x.size() >= static_cast<std::size_t>(INT32_MAX))
            throw std::bad_alloc();
        renumber[v] = static_cast<std::int32_t>(mesh.x.size());
        mesh.x.push_back(upper.x[v]);
        mesh.y.push_back(upper.y[v]);
        mesh.z.push_back(upper.z[v]);
        mesh.nx.push_back(upper.nx[v]);
        mesh.ny.push_back(upper.ny[v]);
        mesh.nz.push_back(upper.nz[v]);
    }
    for (std::size_t t = 0; t < upper.corner0.size(); ++t) {
        mesh.corner0.push_back(renumber[static_cast<std::size_t>(upper.corner0[t])]);
        mesh.corner1.push_back(renumber[static_cast<std::size_t>(upper.corner1[t])]);
        mesh.corner2.push_back(renumber[static_cast<std::size_t>(upper.corner2[t])]);
    }
}

} // namespace

bool IsoSurface::extract(const ByteGrid& g, IsoSurfaceMesh& mesh, std::int32_t processorCount)
{
    mesh.clear();
    if (g.X < 2 || g.Y < 2 || g.Z < 2)
        return true;
    const std::int32_t pairs = g.Z - 1;
    IsoSurfaceMesh upper;
    std::vector<std::int32_t> lowerFirst, lowerLast, upperFirst, upperLast;
    std::int32_t middle = pairs;
    // Two halves of the slab stack when both are worth a thread.
    const bool done = TwoThreadSplit::run(pairs, processorCount, 16, [&](std::int64_t begin, std::int64_t end) {
        try {
            if (begin == 0) {
                middle = static_cast<std::int32_t>(end);
                march(g, 0, static_cast<std::int32_t>(end), mesh, lowerFirst, lowerLast);
            } else {
                march(g, static_cast<std::int32_t>(begin), static_cast<std::int32_t>(end), upper, upperFirst,
                      upperLast);
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    });
    try {
        if (done && middle < pairs)
            appendUpperHalf(mesh, upper, lowerLast, upperFirst);
    } catch (const std::bad_alloc&) {
        mesh.clear();
        return false;
    }
    if (!done)
        mesh.clear();
    return done;
}

} // namespace zvipengine
