#pragma once

#include "MaskBits.h"
#include "SliceRanges.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace zvipengine {

// The masks kept in the samples' age bits, with the mask level count and the
// visible bounding box that live beside the volume. A masking step ages the
// existing masks (1 -> 2, 2 -> 3, 3 stays) and gives age 1 to the visible
// voxels it selects, in one pass that also finds the new visible box.
class BitMaskVolume {
public:
    static constexpr std::int32_t MaximumLevels = 3;

    BitMaskVolume(const MaskVolume& volume, std::int32_t& levelCount, std::int32_t (&box)[6],
                  std::int32_t processorCount)
        : volume_(volume), levelCount_(levelCount), box_(box), processorCount_(processorCount)
    {
    }

    // select(y, z, row, selected) fills selected[0 .. X-1] for row (y, z);
    // only the entries of visible voxels are read. It is called from two
    // threads at once on large volumes. False when the row scratch cannot
    // be had (nothing changed).
    template <typename RowSelector>
    bool applyStep(const RowSelector& select)
    {
        std::vector<std::uint8_t> scratch;
        try {
            scratch.resize(static_cast<std::size_t>(volume_.X) * 2);
        } catch (const std::bad_alloc&) {
            return false;
        }
        BoxAccumulator found[2];
        SliceRanges::run(volume_.Z, volume_.sliceSize(), processorCount_,
                         [&](std::int32_t zBegin, std::int32_t zEnd, int worker) {
                             std::uint8_t* selected = scratch.data() + static_cast<std::ptrdiff_t>(volume_.X) * worker;
                             for (std::int32_t z = zBegin; z < zEnd; ++z)
                                 for (std::int32_t y = 0; y < volume_.Y; ++y) {
                                     std::uint16_t* row = volume_.row(y, z);
                                     select(y, z, static_cast<const std::uint16_t*>(row), selected);
                                     ageRow(row, selected, volume_.X, y, z, found[worker]);
                                 }
                         });
        found[0].merge(found[1]);
        levelCount_ = std::min(MaximumLevels, levelCount_ + 1);
        storeBox(found[0]);
        return true;
    }

    // Ages 1 and 2 become 0 and 1 (3 stays); the count drops from 1 or 2.
    void undo();
    // Every voxel visible, count 0, the box the whole volume.
    void clear();
    void recomputeBox();
    // Without a mask every voxel is visible, whatever the stored box says
    // (a fresh volume stores zeros there).
    VoxelBox box() const
    {
        if (levelCount_ == 0)
            return VoxelBox::whole(volume_.X, volume_.Y, volume_.Z);
        return VoxelBox::load(box_).clampedTo(volume_.X, volume_.Y, volume_.Z);
    }

    // On a caller's 16-bit image: mode 1 halves masked samples to 13 bits,
    // 2 clears the age bits, 3 darkens masked samples by 1000, others zero
    // them ("masked" = above 16383).
    static void clearImageBits(std::uint16_t* image, std::int64_t count, std::int32_t mode);

private:
    struct BoxAccumulator {
        VoxelBox box{0x7FFFFFFF, -1, 0x7FFFFFFF, -1, 0x7FFFFFFF, -1};
        void add(std::int32_t xFirst, std::int32_t xLast, std::int32_t y, std::int32_t z)
        {
            box.xMin = std::min(box.xMin, xFirst);
            box.xMax = std::max(box.xMax, xLast);
            box.yMin = std::min(box.yMin, y);
            box.yMax = std::max(box.yMax, y);
            box.zMin = std::min(box.zMin, z);
            box.zMax = std::max(box.zMax, z);
        }
        void merge(const BoxAccumulator& other)
        {
            if (other.box.xMax < 0)
                return;
            add(other.box.xMin, other.box.xMax, other.box.yMin, other.box.zMin);
            add(other.box.xMin, other.box.xMax, other.box.yMax, other.box.zMax);
        }
    };

    static void ageRow(std::uint16_t* row, std::uint8_t* selected, std::int32_t length, std::int32_t y,
                       std::int32_t z, BoxAccumulator& found);
    void storeBox(const BoxAccumulator& found);

    MaskVolume volume_;
    std::int32_t& levelCount_;
    std::int32_t (&box_)[6];
    std::int32_t processorCount_;
};

} // namespace zvipengine
