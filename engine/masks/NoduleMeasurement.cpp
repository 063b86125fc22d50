#include "NoduleMeasurement.h"

#include "Morphology.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace zvipengine {

namespace {

struct SurfacePoint {
    double position[3]; // millimetres
    double radius;      // distance from the candidates' centroid
    std::int32_t voxel[3];
};

double distance(const SurfacePoint& a, const SurfacePoint& b)
{
    const double dx = a.position[0] - b.position[0];
    const double dy = a.position[1] - b.position[1];
    const double dz = a.position[2] - b.position[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

} // namespace

bool NoduleMeasurement::measure(const MaskVolume& volume, const VoxelBox& box, double spacingX, double spacingY,
                                double spacingZ, Result& result)
{
    result = Result{};
    if (box.empty())
        return true;
    if (box.voxelCount() > MaximumBoxVoxels) {
        result.minimum = 0;
        return true;
    }
    result.measured = true;
    const std::int32_t W = box.width();
    const std::int32_t H = box.height();
    const std::int32_t D = box.depth();
    try {
        std::vector<std::uint8_t> visible(static_cast<std::size_t>(box.voxelCount()));
        std::size_t i = 0;
        for (std::int32_t z = box.zMin; z <= box.zMax; ++z)
            for (std::int32_t y = box.yMin; y <= box.yMax; ++y) {
                const std::uint16_t* row = volume.row(y, z);
                for (std::int32_t x = box.xMin; x <= box.xMax; ++x, ++i) {
                    const std::uint16_t s = row[x];
                    visible[i] = MaskBits::visible(s) ? 1 : 0;
                    if (visible[i] == 0)
                        continue;
                    const std::int32_t v = s & MaskBits::Value;
                    ++result.count;
                    result.sum += v;
                    result.sumOfSquares += static_cast<double>(v) * v;
                    result.minimum = std::min(result.minimum, v);
                    result.maximum = std::max(result.maximum, v);
                    ++result.histogram[static_cast<std::size_t>(std::min(v / 8, HistogramBins - 1))];
                }
            }
        if (result.count == 0) {
            result.minimum = 0;
            return true;
        }
        std::vector<std::uint8_t> eroded(visible.size());
        if (!Morphology::apply(Morphology::Operation::Erosion, visible.data(), eroded.data(), W, H, D,
                               StructuringElement::cross(), nullptr, 1))
            return false;
        // The two voxels farthest apart are vertices of the convex hull,
        // and a hull vertex ends every axis line through it: a voxel lying
        // between two others of its row, column or slice line is never
        // needed, which leaves few candidates even for large nodules.
        const auto lineEnds = [](std::size_t count) {
            return std::vector<std::int32_t>(count * 2, -1);
        };
        std::vector<std::int32_t> rowEnds = lineEnds(static_cast<std::size_t>(H) * D);
        std::vector<std::int32_t> columnEnds = lineEnds(static_cast<std::size_t>(W) * D);
        std::vector<std::int32_t> depthEnds = lineEnds(static_cast<std::size_t>(W) * H);
        const auto extend = [](std::vector<std::int32_t>& ends, std::size_t line, std::int32_t at) {
            std::int32_t* e = ends.data() + 2 * line;
            if (e[0] < 0 || at < e[0])
                e[0] = at;
            e[1] = std::max(e[1], at);
        };
        i = 0;
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < H; ++y)
                for (std::int32_t x = 0; x < W; ++x, ++i)
                    if (visible[i] != 0) {
                        extend(rowEnds, static_cast<std::size_t>(z) * H + y, x);
                        extend(columnEnds, static_cast<std::size_t>(z) * W + x, y);
                        extend(depthEnds, static_cast<std::size_t>(y) * W + x, z);
                    }
        const auto endsAt = [](const std::vector<std::int32_t>& ends, std::size_t line, std::int32_t at) {
            return ends[2 * line] == at || ends[2 * line + 1] == at;
        };
        std::vector<SurfacePoint> surface;
        double centroid[3] = {0, 0, 0};
        i = 0;
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < H; ++y)
                for (std::int32_t x = 0; x < W; ++x, ++i)
                    if (visible[i] != 0 && eroded[i] == 0 && endsAt(rowEnds, static_cast<std::size_t>(z) * H + y, x) &&
                        endsAt(columnEnds, static_cast<std::size_t>(z) * W + x, y) &&
                        endsAt(depthEnds, static_cast<std::size_t>(y) * W + x, z)) {
                        SurfacePoint p{};
                        p.voxel[0] = box.xMin + x;
                        p.voxel[1] = box.yMin + y;
                        p.voxel[2] = box.zMin + z;
                        p.position[0] = p.voxel[0] * spacingX;
                        p.position[1] = p.voxel[1] * spacingY;
                        p.position[2] = p.voxel[2] * spacingZ;
                        for (int a = 0; a < 3; ++a)
                            centroid[a] += p.position[a];
                        surface.push_back(p);
                    }
        for (double& c : centroid)
            c /= static_cast<double>(surface.size());
        for (SurfacePoint& p : surface) {
            const double dx = p.position[0] - centroid[0];
            const double dy = p.position[1] - centroid[1];
            const double dz = p.position[2] - centroid[2];
            p.radius = std::sqrt(dx * dx + dy * dy + dz * dz);
        }
        // Farthest from the centroid first: a pair (i, j) is at most
        // r_i + r_j apart, so the search stops once that cannot beat the
        // best distance found.
        std::stable_sort(surface.begin(), surface.end(),
                         [](const SurfacePoint& a, const SurfacePoint& b) { return a.radius > b.radius; });
        std::size_t bestA = 0;
        std::size_t bestB = 0;
        double best = 0.0;
        for (std::size_t a = 0; a < surface.size(); ++a) {
            if (2.0 * surface[a].radius <= best)
                break;
            for (std::size_t b = a + 1; b < surface.size(); ++b) {
                if (surface[a].radius + surface[b].radius <= best)
                    break;
                const double d = distance(surface[a], surface[b]);
                if (d > best) {
                    best = d;
                    bestA = a;
                    bestB = b;
                }
            }
        }
        result.diameter = best;
        for (int a = 0; a < 3; ++a) {
            result.ends[0][a] = surface[bestA].voxel[a];
            result.ends[1][a] = surface[bestB].voxel[a];
        }
    } catch (const std::bad_alloc&) {
        result = Result{};
        return false;
    }
    return true;
}

void NoduleMeasurement::lineProfile(const MaskVolume& volume, const Result& result, std::int32_t count,
                                    std::int16_t* out)
{
    const std::int32_t* a = result.ends[0];
    const std::int32_t* b = result.ends[1];
    const bool coincide = a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
    for (std::int32_t n = 0; n < count; ++n) {
        if (coincide) {
            out[n] = 0;
            continue;
        }
        const double t = count > 1 ? static_cast<double>(n) / (count - 1) : 0.0;
        std::int32_t p[3];
        for (int k = 0; k < 3; ++k)
            p[k] = static_cast<std::int32_t>(std::floor(a[k] + t * (b[k] - a[k]) + 0.5));
        if (p[0] < 0 || p[1] < 0 || p[2] < 0 || p[0] >= volume.X || p[1] >= volume.Y || p[2] >= volume.Z) {
            out[n] = 0;
            continue;
        }
        const std::uint16_t s = volume.samples[volume.index(p[0], p[1], p[2])];
        out[n] = MaskBits::visible(s) ? static_cast<std::int16_t>(s & MaskBits::Value) : 0;
    }
}

} // namespace zvipengine
