#include "RegionGrowing.h"

#include "ComponentLabelling.h"
#include "Morphology.h"
#include "SliceRanges.h"
#include "ValueSelection.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <new>

namespace zvipengine
{

void RegionGrowing::copyBox(const MaskVolume& volume, const VoxelBox& box, std::uint16_t valueBits,
                            std::int32_t minimum, std::int32_t maximum, std::int16_t outsideValue,
                            std::int16_t* values)
{
    const std::int32_t width = box.width();
    std::int16_t* out = values;
    for (std::int32_t z = box.zMin; z <= box.zMax; ++z)
        for (std::int32_t y = box.yMin; y <= box.yMax; ++y, out += width) {
            const std::uint16_t* row = volume.row(y, z) + box.xMin;
            for (std::int32_t x = 0; x < width; ++x)
                out[x] = static_cast<std::int16_t>(MaskBits::visible(row[x]) ? (row[x] & valueBits) : 0);
            if (minimum != maximum)
                ValueSelection::replaceOutside(out, width, minimum, maximum, outsideValue);
        }
}

namespace {

struct GrowthOffset {
    std::int32_t dx, dy, dz;
    std::int64_t linear;
};

struct GrowthVoxel {
    std::int32_t x, y, z;
};

// One wave's voxels [begin, end) add their accepted neighbours to `next`.
// Shared: another thread expands the other half of the wave at the same
// time, so a neighbour is claimed with an atomic exchange and only its
// claimer lists it.
template <bool Shared>
void expandWave(const std::int16_t* values, const RegionGrowing::Box& box, const GrowthOffset (&offsets)[18],
                std::int32_t increase, std::int32_t decrease, const GrowthVoxel* begin, const GrowthVoxel* end,
                std::uint8_t* region, std::vector<GrowthVoxel>& next)
{
    for (const GrowthVoxel* v = begin; v != end; ++v) {
        const std::int64_t i = box.index(v->x, v->y, v->z);
        const std::int32_t value = values[i];
        const bool interior =
            v->x > 0 && v->y > 0 && v->z > 0 && v->x < box.X - 1 && v->y < box.Y - 1 && v->z < box.Z - 1;
        for (const GrowthOffset& o : offsets) {
            if (!interior) {
                const std::int32_t x = v->x + o.dx;
                const std::int32_t y = v->y + o.dy;
                const std::int32_t z = v->z + o.dz;
                if (x < 0 || y < 0 || z < 0 || x >= box.X || y >= box.Y || z >= box.Z)
                    continue;
            }
            const std::int64_t j = i + o.linear;
            if constexpr (Shared) {
                if (std::atomic_ref<std::uint8_t>(region[j]).load(std::memory_order_relaxed) != 0)
                    continue;
            } else {
                if (region[j] != 0)
                    continue;
            }
            const std::int32_t c = values[j];
            if (c - value > increase || value - c > decrease)
                continue;
            if constexpr (Shared) {
                if (std::atomic_ref<std::uint8_t>(region[j]).exchange(1, std::memory_order_relaxed) != 0)
                    continue;
            } else {
                region[j] = 1;
            }
            next.push_back({v->x + o.dx, v->y + o.dy, v->z + o.dz});
        }
    }
}

} // namespace

bool RegionGrowing::grow(const std::int16_t* values, const Box& box, std::int32_t seedX, std::int32_t seedY,
                         std::int32_t seedZ, std::int32_t increase, std::int32_t decrease,
                         std::int32_t processorCount, std::uint8_t* region)
{
    std::fill(region, region + box.count(), std::uint8_t{0});
    // The 18-neighbourhood: the 26 neighbours without the 8 corners, with
    // their offsets in the box image for voxels away from its faces.
    GrowthOffset offsets[18];
    int n = 0;
    const std::int64_t slice = std::int64_t{box.X} * box.Y;
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int away = (dx != 0) + (dy != 0) + (dz != 0);
                if (away == 1 || away == 2)
                    offsets[n++] = {dx, dy, dz, dx + std::int64_t{box.X} * dy + slice * dz};
            }
    std::vector<GrowthVoxel> wave;
    std::vector<GrowthVoxel> next;
    std::vector<GrowthVoxel> secondNext;
    try {
        wave.reserve(4096);
        next.reserve(4096);
        region[box.index(seedX, seedY, seedZ)] = 1;
        wave.push_back({seedX, seedY, seedZ});
        for (std::int32_t w = 0; w < MaximumWaves && !wave.empty(); ++w) {
            next.clear();
            const GrowthVoxel* first = wave.data();
            const GrowthVoxel* last = wave.data() + wave.size();
            bool split = processorCount >= 2 && wave.size() >= SplitWave;
            if (split) {
                // The wave's two halves on two threads; the set of voxels
                // that join is the same, only their order in the list may
                // differ, which no later wave depends on.
                const GrowthVoxel* middle = first + wave.size() / 2;
                secondNext.clear();
                bool secondFailed = false;
                std::thread second;
                try {
                    second = std::thread([&] {
                        try {
                            expandWave<true>(values, box, offsets, increase, decrease, middle, last, region,
                                             secondNext);
                        } catch (const std::bad_alloc&) {
                            secondFailed = true;
                        }
                    });
                } catch (const std::system_error&) {
                    split = false;
                }
                if (split) {
                    bool failed = false;
                    try {
                        expandWave<true>(values, box, offsets, increase, decrease, first, middle, region, next);
                    } catch (const std::bad_alloc&) {
                        failed = true;
                    }
                    second.join();
                    if (failed || secondFailed)
                        return false;
                    next.insert(next.end(), secondNext.begin(), secondNext.end());
                }
            }
            if (!split)
                expandWave<false>(values, box, offsets, increase, decrease, first, last, region, next);
            wave.swap(next);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool RegionGrowing::background(const std::uint8_t* region, const Box& box, std::int32_t seedX,
                               std::int32_t seedY, std::int32_t seedZ, std::int32_t processorCount,
                               std::uint8_t* background)
{
    const std::int64_t count = box.count();
    const std::int64_t seed = box.index(seedX, seedY, seedZ);
    try {
        std::vector<std::uint8_t> eroded(static_cast<std::size_t>(count));
        const StructuringElement cross = StructuringElement::cross();
        if (!Morphology::apply(Morphology::Operation::Erosion, region, eroded.data(), box.X, box.Y, box.Z,
                               cross, nullptr, processorCount))
            return false;
        std::uint8_t* candidates = background;
        if (eroded[static_cast<std::size_t>(seed)] == 0) {
            // The erosion took the seed itself (a structure thinner than
            // three voxels): the grown region is the seed's structure.
            for (std::int64_t i = 0; i < count; ++i)
                candidates[i] = region[i] == 0 ? 1 : 0;
        } else {
            std::vector<std::int32_t> labels(static_cast<std::size_t>(count));
            if (ComponentLabelling::label(eroded.data(), box.X, box.Y, box.Z,
                                          ComponentLabelling::Connectivity::Face, labels.data()) < 0)
                return false;
            const std::int32_t seedLabel = labels[static_cast<std::size_t>(seed)];
            eroded = {};
            // Two dilations of the labels with the cross inside the grown
            // region; the largest label in reach wins.
            std::vector<std::int32_t> grown(labels);
            for (int pass = 0; pass < 2; ++pass) {
                SliceRanges::run(
                    box.Z, std::int64_t{box.X} * box.Y, processorCount,
                    [&](std::int32_t zBegin, std::int32_t zEnd, int) {
                        for (std::int32_t z = zBegin; z < zEnd; ++z)
                            for (std::int32_t y = 0; y < box.Y; ++y)
                                for (std::int32_t x = 0; x < box.X; ++x) {
                                    const std::int64_t i = box.index(x, y, z);
                                    if (region[i] == 0)
                                        continue;
                                    std::int32_t best = labels[static_cast<std::size_t>(i)];
                                    if (x > 0)
                                        best = std::max(best, labels[static_cast<std::size_t>(i - 1)]);
                                    if (x + 1 < box.X)
                                        best = std::max(best, labels[static_cast<std::size_t>(i + 1)]);
                                    if (y > 0)
                                        best = std::max(best, labels[static_cast<std::size_t>(i - box.X)]);
                                    if (y + 1 < box.Y)
                                        best = std::max(best, labels[static_cast<std::size_t>(i + box.X)]);
                                    const std::int64_t slice = std::int64_t{box.X} * box.Y;
                                    if (z > 0)
                                        best = std::max(best, labels[static_cast<std::size_t>(i - slice)]);
                                    if (z + 1 < box.Z)
                                        best = std::max(best, labels[static_cast<std::size_t>(i + slice)]);
                                    grown[static_cast<std::size_t>(i)] = best;
                                }
                    });
                // Outside the region both images hold 0 and inside every
                // voxel is rewritten, so the two can simply change roles.
                labels.swap(grown);
            }
            for (std::int64_t i = 0; i < count; ++i)
                candidates[i] = labels[static_cast<std::size_t>(i)] != seedLabel ? 1 : 0;
        }
        // The candidates that reach the box's faces are the background; the
        // rest are cavities enclosed by the structure and stay.
        std::vector<std::int64_t> seeds;
        for (std::int32_t z = 0; z < box.Z; ++z)
            for (std::int32_t y = 0; y < box.Y; ++y)
                for (std::int32_t x = 0; x < box.X; ++x) {
                    const bool face =
                        x == 0 || y == 0 || z == 0 || x == box.X - 1 || y == box.Y - 1 || z == box.Z - 1;
                    if (face && candidates[box.index(x, y, z)] != 0)
                        seeds.push_back(box.index(x, y, z));
                    // Inner rows touch the faces only at their two ends.
                    const bool innerRow = y > 0 && z > 0 && y < box.Y - 1 && z < box.Z - 1;
                    if (innerRow && x == 0 && box.X > 2)
                        x = box.X - 2;
                }
        std::vector<std::uint8_t> copy(candidates, candidates + count);
        return ComponentLabelling::reach(copy.data(), box.X, box.Y, box.Z,
                                         ComponentLabelling::Connectivity::Face, seeds, background);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace zvipengine
