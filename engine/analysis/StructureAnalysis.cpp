#include "StructureAnalysis.h"

#include "ComponentStatistics.h"
#include "../imaging/SmoothingFilter.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zvipengine {

bool StructureAnalysis::depthMap(const ByteMask& lung, const AnalysisBox& box, std::int32_t processorCount,
                                 std::vector<std::int16_t>& depth)
{
    const std::int32_t W = box.W, H = box.H, D = box.D;
    const std::int32_t hw = (W + 1) / 2, hh = (H + 1) / 2;
    const AnalysisBox half{0, 0, 0, hw, hh, D};
    ByteMask reduced(static_cast<std::size_t>(half.voxels()), 0);
    for (std::int32_t z = 0; z < D; ++z)
        for (std::int32_t y = 0; y < H; ++y)
            for (std::int32_t x = 0; x < W; ++x)
                if (lung[(static_cast<std::size_t>(z) * H + y) * W + x])
                    reduced[(static_cast<std::size_t>(z) * hh + y / 2) * hw + x / 2] = 1;
    std::vector<std::int16_t> halfDepth(reduced.size(), 0);
    const StructuringElement cross = MaskOperations::planeCross();
    // 19 passes and 21 further ones; each survived pass adds 2.
    for (int pass = 0; pass < 40; ++pass) {
        if (!MaskOperations::erode(reduced, half, cross, processorCount))
            return false;
        bool any = false;
        for (std::size_t i = 0; i < reduced.size(); ++i)
            if (reduced[i]) {
                halfDepth[i] = static_cast<std::int16_t>(halfDepth[i] + 2);
                any = true;
            }
        if (!any)
            break;
    }
    depth.assign(lung.size(), 0);
    for (std::int32_t z = 0; z < D; ++z)
        for (std::int32_t y = 0; y < H; ++y)
            for (std::int32_t x = 0; x < W; ++x) {
                const std::size_t i = (static_cast<std::size_t>(z) * H + y) * W + x;
                if (lung[i])
                    depth[i] = static_cast<std::int16_t>(
                        1 + halfDepth[(static_cast<std::size_t>(z) * hh + y / 2) * hw + x / 2]);
            }
    return true;
}

namespace {

void measure(const std::vector<std::int32_t>& labels, std::int32_t label,
             const ComponentStatistics::Component& c, const std::vector<std::int16_t>& values,
             const std::vector<std::int16_t>& depth, const AnalysisBox& box, const double spacing[3],
             const AnalysisBox& lungs, FeatureRecord& r)
{
    const std::int32_t W = box.W, H = box.H;
    const double voxel = spacing[0] * spacing[1] * spacing[2];
    const std::int32_t offset[3] = {box.x0, box.y0, box.z0};
    for (int a = 0; a < 3; ++a) {
        r.centroid[a] = c.centroid[a] + offset[a];
        r.boxMinimum[a] = c.minimum[a] + offset[a];
        r.boxMaximum[a] = c.maximum[a] + offset[a];
    }
    double sum = 0, squares = 0;
    std::int32_t low = INT32_MAX, high = INT32_MIN;
    std::int64_t lowCount = 0, mediumCount = 0, highCount = 0, faces = 0;
    std::vector<std::int32_t> slicePoints; // x, y pairs on the centroid slice
    for (std::int32_t z = c.minimum[2]; z <= c.maximum[2]; ++z)
        for (std::int32_t y = c.minimum[1]; y <= c.maximum[1]; ++y)
            for (std::int32_t x = c.minimum[0]; x <= c.maximum[0]; ++x) {
                const std::size_t i = (static_cast<std::size_t>(z) * H + y) * W + x;
                if (labels[i] != label)
                    continue;
                const std::int32_t hu = values[i] - 1024;
                sum += hu;
                squares += static_cast<double>(hu) * hu;
                low = std::min(low, hu);
                high = std::max(high, hu);
                (hu < -500 ? lowCount : hu <= 0 ? mediumCount : highCount)++;
                const bool inside[6] = {x > 0 && labels[i - 1] == label, x + 1 < W && labels[i + 1] == label,
                                        y > 0 && labels[i - static_cast<std::size_t>(W)] == label,
                                        y + 1 < H && labels[i + static_cast<std::size_t>(W)] == label,
                                        z > 0 && labels[i - static_cast<std::size_t>(W) * H] == label,
                                        z + 1 < box.D && labels[i + static_cast<std::size_t>(W) * H] == label};
                for (bool b : inside)
                    faces += b ? 0 : 1;
                if (z == c.centroid[2]) {
                    slicePoints.push_back(x);
                    slicePoints.push_back(y);
                }
            }
    const double n = static_cast<double>(c.count);
    const double mean = sum / n;
    r.meanCT = static_cast<std::int32_t>(std::lround(mean));
    r.deviationCT = static_cast<float>(std::sqrt(std::max(0.0, squares / n - mean * mean)));
    r.maximumCT = high;
    r.minimumCT = low;
    r.volume = static_cast<float>(n * voxel);
    r.lowDensityVolume = static_cast<float>(static_cast<double>(lowCount) * voxel);
    r.mediumDensityVolume = static_cast<float>(static_cast<double>(mediumCount) * voxel);
    r.highDensityVolume = static_cast<float>(static_cast<double>(highCount) * voxel);
    // Sphericity from the voxel faces: 1 for a ball, lower for anything else
    // (a voxelised ball reads a little below 1).
    const double area = static_cast<double>(faces) * spacing[0] * spacing[1];
    const double sphere = std::cbrt(M_PI) * std::pow(6.0 * r.volume, 2.0 / 3.0);
    r.circularity = static_cast<float>(area > 0 ? std::min(1.0, sphere / area) : 0.0);
    r.irregularity = 1.0f - r.circularity;
    // Maximum width on the centroid slice and the width across it.
    const std::size_t points = slicePoints.size() / 2;
    const std::size_t step = std::max<std::size_t>(1, points / 400);
    double best = 0;
    std::size_t bestA = 0, bestB = 0;
    for (std::size_t a = 0; a < points; a += step)
        for (std::size_t b = a; b < points; b += step) {
            const double dx = (slicePoints[2 * a] - slicePoints[2 * b]) * spacing[0];
            const double dy = (slicePoints[2 * a + 1] - slicePoints[2 * b + 1]) * spacing[1];
            const double d = dx * dx + dy * dy;
            if (d >= best) {
                best = d;
                bestA = a;
                bestB = b;
            }
        }
    if (points > 0) {
        const double ax = slicePoints[2 * bestA], ay = slicePoints[2 * bestA + 1];
        const double bx = slicePoints[2 * bestB], by = slicePoints[2 * bestB + 1];
        r.maximumWidth = static_cast<float>(std::sqrt(best) + spacing[0]);
        const double mx = (ax + bx) / 2, my = (ay + by) / 2;
        r.widthMidpoint[0] = static_cast<std::int32_t>(std::lround(mx)) + box.x0;
        r.widthMidpoint[1] = static_cast<std::int32_t>(std::lround(my)) + box.y0;
        r.widthMidpoint[2] = c.centroid[2] + box.z0;
        // Across: extent along the perpendicular of the voxels near the
        // line through the midpoint.
        double ux = (bx - ax) * spacing[0], uy = (by - ay) * spacing[1];
        const double length = std::hypot(ux, uy);
        if (length > 0) {
            ux /= length;
            uy /= length;
        } else {
            ux = 1;
            uy = 0;
        }
        double lowest = 0, highest = 0;
        for (std::size_t p = 0; p < points; ++p) {
            const double px = (slicePoints[2 * p] - mx) * spacing[0], py = (slicePoints[2 * p + 1] - my) * spacing[1];
            if (std::abs(px * ux + py * uy) > spacing[0])
                continue;
            const double across = -px * uy + py * ux;
            lowest = std::min(lowest, across);
            highest = std::max(highest, across);
        }
        r.bisectingWidth = static_cast<float>(highest - lowest + spacing[0]);
    }
    // Position in the lungs.
    const std::int32_t gx = r.centroid[0], gz = r.centroid[2];
    r.side = gx >= lungs.x0 + lungs.W / 2 ? 1 : 0;
    r.level = gz < lungs.z0 + lungs.D / 3 ? 0 : gz >= lungs.z0 + (2 * lungs.D) / 3 ? 2 : 1;
    const std::size_t centre = (static_cast<std::size_t>(c.centroid[2]) * H + c.centroid[1]) * W + c.centroid[0];
    r.chestWallDistance = static_cast<float>(depth[centre] * spacing[0]);
    r.score = std::clamp(static_cast<std::int32_t>(std::lround(100.0 * r.circularity)), 0, 100);
    r.measures[0] = static_cast<float>(c.extent(0) * spacing[0]);
    r.measures[1] = static_cast<float>(c.extent(2) * spacing[2]);
    r.measures[2] = static_cast<float>(n / (static_cast<double>(c.extent(0)) * c.extent(1) * c.extent(2)));
    r.measures[3] = static_cast<float>(depth[centre]);
    r.measures[4] = r.bisectingWidth > 0 ? r.maximumWidth / r.bisectingWidth : 0.0f;
}

} // namespace

StructureAnalysis::Outcome StructureAnalysis::run(const std::vector<std::int16_t>& volume, std::int32_t X,
                                                  std::int32_t Y, std::int32_t Z, const double spacing[3],
                                                  std::int32_t processorCount, StructureMap& map,
                                                  std::vector<FeatureRecord>& records)
{
    (void)X;
    (void)Y;
    (void)Z;
    records.clear();
    try {
        AnalysisBox box = map.boundingBox({StructureMap::Lungs}, 4);
        if (box.empty())
            return Outcome::Done;
        // Margin in x and y only.
        const AnalysisBox tight = map.boundingBox({StructureMap::Lungs}, 0);
        box.z0 = tight.z0;
        box.D = tight.D;
        const std::int32_t W = box.W, H = box.H, D = box.D;
        const std::size_t plane = static_cast<std::size_t>(W) * H;
        const ByteMask lung = map.mask(box, {StructureMap::Lungs});
        std::vector<std::int16_t> values(lung.size());
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < H; ++y) {
                const std::int16_t* row = volume.data() + (static_cast<std::int64_t>(z + box.z0) * map.Y() + y + box.y0)
                        * map.X() + box.x0;
                std::copy(row, row + W, values.begin() + static_cast<std::ptrdiff_t>((static_cast<std::size_t>(z) * H + y) * W));
            }
        std::vector<std::int16_t> depth;
        if (!depthMap(lung, box, processorCount, depth))
            return Outcome::NoMemory;

        // Base image: the lungs' 7 x 7 mean, outside read as parenchyma.
        std::vector<std::int16_t> base(lung.size());
        for (std::size_t i = 0; i < lung.size(); ++i)
            base[i] = lung[i] ? values[i] : static_cast<std::int16_t>(BaseLevel);
        for (std::int32_t z = 0; z < D; ++z)
            if (SmoothingFilter::apply(base.data() + plane * static_cast<std::size_t>(z), W, H, 7, 1)
                == SmoothingFilter::Outcome::NoMemory)
                return Outcome::NoMemory;
        // Large regions: every component of the base above 274 but the largest.
        ByteMask large(lung.size());
        for (std::size_t i = 0; i < lung.size(); ++i)
            large[i] = (lung[i] && base[i] > 274) ? 1 : 0;
        ComponentStatistics components;
        if (!components.compute(large.data(), W, H, D))
            return Outcome::NoMemory;
        for (std::size_t i = 0; i < lung.size(); ++i)
            large[i] = components.labels[i] > 1 ? 1 : 0;
        // Dense lung voxels, opened with 7 x 7, with the large regions,
        // dilated twice within the lungs.
        ByteMask dense(lung.size());
        for (std::size_t i = 0; i < lung.size(); ++i)
            dense[i] = (lung[i] && values[i] > 800) ? 1 : 0;
        const StructuringElement square7 = MaskOperations::square(7);
        if (!MaskOperations::erode(dense, box, square7, processorCount)
            || !MaskOperations::dilate(dense, box, square7, processorCount))
            return Outcome::NoMemory;
        for (std::size_t i = 0; i < lung.size(); ++i)
            dense[i] = (dense[i] || large[i]) ? 1 : 0;
        for (int k = 0; k < 2; ++k)
            if (!MaskOperations::dilate(dense, box, MaskOperations::planeCross(), processorCount, lung.data()))
                return Outcome::NoMemory;
        // Fine structures: the excess over the base, limited at 130, above 80.
        ByteMask structure(lung.size());
        for (std::size_t i = 0; i < lung.size(); ++i) {
            const std::int32_t excess = std::min(130, values[i] - base[i]);
            structure[i] = (lung[i] && (dense[i] || excess > 80)) ? 1 : 0;
        }
        // Written per lung: 113 for lung voxels of neither lung.
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < H; ++y) {
                std::uint8_t* row = map.data() + (static_cast<std::int64_t>(z + box.z0) * map.Y() + y + box.y0) * map.X()
                    + box.x0;
                for (std::int32_t x = 0; x < W; ++x) {
                    if (!structure[(static_cast<std::size_t>(z) * H + y) * W + x])
                        continue;
                    std::uint8_t& c = row[x];
                    c = c == StructureMap::LungOne ? 114 : c == StructureMap::LungTwo ? 115 : c == StructureMap::Lungs ? 113 : c;
                }
            }
        // Candidates: structure voxels deeper than 18 (depths above 79 as 79).
        ByteMask picked(lung.size());
        for (std::size_t i = 0; i < lung.size(); ++i)
            picked[i] = (structure[i] && std::min<std::int16_t>(depth[i], 79) > 18) ? 1 : 0;
        if (!components.compute(picked.data(), W, H, D))
            return Outcome::NoMemory;
        const AnalysisBox lungs = tight;
        std::vector<std::uint8_t> candidate(static_cast<std::size_t>(components.count()) + 1, 0);
        for (std::int32_t l = 1; l <= std::min(250, components.count()); ++l) {
            const ComponentStatistics::Component& c = components.components[static_cast<std::size_t>(l)];
            const double e[3] = {c.extent(0) * spacing[0], c.extent(1) * spacing[1], c.extent(2) * spacing[2]};
            const double longest = std::max({e[0], e[1], e[2]}), shortest = std::min({e[0], e[1], e[2]});
            if (c.count < 3 || longest > 3.0 * shortest)
                continue;
            FeatureRecord r;
            measure(components.labels, l, c, values, depth, box, spacing, lungs, r);
            records.push_back(r);
            candidate[static_cast<std::size_t>(l)] = 1;
        }
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < H; ++y) {
                std::uint8_t* row = map.data() + (static_cast<std::int64_t>(z + box.z0) * map.Y() + y + box.y0) * map.X()
                    + box.x0;
                for (std::int32_t x = 0; x < W; ++x) {
                    const std::int32_t l = components.labels[(static_cast<std::size_t>(z) * H + y) * W + x];
                    if (l <= 0 || !candidate[static_cast<std::size_t>(l)])
                        continue;
                    std::uint8_t& c = row[x];
                    if (c == StructureMap::LungOne || c == 114)
                        c = 117;
                    else if (c == StructureMap::LungTwo || c == 115)
                        c = 118;
                    else if (c == StructureMap::Lungs || c == 113)
                        c = 116;
                }
            }
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    return Outcome::Done;
}

} // namespace zvipengine
