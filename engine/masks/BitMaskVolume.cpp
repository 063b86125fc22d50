#include "BitMaskVolume.h"

#include <algorithm>

namespace zvipengine
{

void BitMaskVolume::ageRow(std::uint16_t* row, std::uint8_t* selected, std::int32_t length, std::int32_t y,
                           std::int32_t z, BoxAccumulator& found)
{
    // Without branches, so that the compiler can vectorise the pass; the
    // selection bytes are reused to hold which voxels stay visible.
    constexpr std::uint16_t One = 1u << MaskBits::AgeShift;
    for (std::int32_t x = 0; x < length; ++x) {
        const std::uint16_t s = row[x];
        const std::uint16_t age = s & MaskBits::Age;
        const bool masked = age != 0;
        const bool oldest = age == MaskBits::Age;
        const bool select = selected[x] != 0;
        const std::uint16_t step =
            static_cast<std::uint16_t>((masked && !oldest) || (!masked && select) ? One : 0);
        row[x] = static_cast<std::uint16_t>(s + step);
        selected[x] = static_cast<std::uint8_t>(!masked && !select);
    }
    const std::uint8_t* end = selected + length;
    const std::uint8_t* first = std::find(static_cast<const std::uint8_t*>(selected), end, std::uint8_t{1});
    if (first == end)
        return;
    std::int32_t last = length - 1;
    while (selected[last] == 0)
        --last;
    found.add(static_cast<std::int32_t>(first - selected), last, y, z);
}

void BitMaskVolume::storeBox(const BoxAccumulator& found)
{
    const VoxelBox b = found.box.xMax < 0 ? VoxelBox::nothing(volume_.X, volume_.Y, volume_.Z) : found.box;
    b.store(box_);
}

void BitMaskVolume::undo()
{
    BoxAccumulator found[2];
    SliceRanges::run(volume_.Z, volume_.sliceSize(), processorCount_,
                     [&](std::int32_t zBegin, std::int32_t zEnd, int worker) {
                         for (std::int32_t z = zBegin; z < zEnd; ++z)
                             for (std::int32_t y = 0; y < volume_.Y; ++y) {
                                 std::uint16_t* row = volume_.row(y, z);
                                 std::int32_t first = -1;
                                 std::int32_t last = -1;
                                 for (std::int32_t x = 0; x < volume_.X; ++x) {
                                     const std::uint16_t s = row[x];
                                     const std::uint16_t age = s & MaskBits::Age;
                                     if (age != 0 && age != MaskBits::Age)
                                         row[x] = static_cast<std::uint16_t>(s - (1u << MaskBits::AgeShift));
                                     if ((row[x] & MaskBits::Age) == 0) {
                                         if (first < 0)
                                             first = x;
                                         last = x;
                                     }
                                 }
                                 if (first >= 0)
                                     found[worker].add(first, last, y, z);
                             }
                     });
    found[0].merge(found[1]);
    if (levelCount_ == 1 || levelCount_ == 2)
        --levelCount_;
    storeBox(found[0]);
}

void BitMaskVolume::clear()
{
    SliceRanges::run(volume_.Z, volume_.sliceSize(), processorCount_,
                     [&](std::int32_t zBegin, std::int32_t zEnd, int) {
                         std::uint16_t* p = volume_.samples + volume_.sliceSize() * zBegin;
                         const std::ptrdiff_t n = volume_.sliceSize() * (zEnd - zBegin);
                         for (std::ptrdiff_t i = 0; i < n; ++i)
                             p[i] = static_cast<std::uint16_t>(p[i] & ~MaskBits::Age);
                     });
    levelCount_ = 0;
    VoxelBox::whole(volume_.X, volume_.Y, volume_.Z).store(box_);
}

void BitMaskVolume::recomputeBox()
{
    BoxAccumulator found[2];
    SliceRanges::run(volume_.Z, volume_.sliceSize(), processorCount_,
                     [&](std::int32_t zBegin, std::int32_t zEnd, int worker) {
                         for (std::int32_t z = zBegin; z < zEnd; ++z)
                             for (std::int32_t y = 0; y < volume_.Y; ++y) {
                                 const std::uint16_t* row = volume_.row(y, z);
                                 std::int32_t first = -1;
                                 std::int32_t last = -1;
                                 for (std::int32_t x = 0; x < volume_.X; ++x)
                                     if ((row[x] & MaskBits::Age) == 0) {
                                         if (first < 0)
                                             first = x;
                                         last = x;
                                     }
                                 if (first >= 0)
                                     found[worker].add(first, last, y, z);
                             }
                     });
    found[0].merge(found[1]);
    storeBox(found[0]);
}

void BitMaskVolume::clearImageBits(std::uint16_t* image, std::int64_t count, std::int32_t mode)
{
    for (std::int64_t i = 0; i < count; ++i) {
        const std::uint16_t s = image[i];
        if (mode == 2) {
            image[i] = static_cast<std::uint16_t>(s & MaskBits::Value);
            continue;
        }
        if (s <= 16383)
            continue;
        if (mode == 1)
            image[i] = static_cast<std::uint16_t>((s / 2) & 0x1FFF);
        else if (mode == 3)
            image[i] = static_cast<std::uint16_t>(std::max(0, (s & MaskBits::Value) - 1000));
        else
            image[i] = 0;
    }
}

} // namespace zvipengine
