#include "MarkFlags.h"

#include "SliceRanges.h"

#include <new>
#include <vector>

namespace zvipengine {

namespace {

std::uint16_t withFlag(std::uint16_t sample, std::int32_t flag)
{
    return static_cast<std::uint16_t>((sample & ~MaskBits::Flag) | (flag << MaskBits::FlagShift));
}

} // namespace

bool MarkFlags::markEllipsoid(const MaskVolume& volume, const ShapeSelection::Ellipsoid& inside, std::int32_t flag,
                              std::int32_t processorCount)
{
    std::vector<std::uint8_t> scratch;
    try {
        scratch.resize(static_cast<std::size_t>(volume.X) * 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
    SliceRanges::run(volume.Z, volume.sliceSize(), processorCount,
                     [&](std::int32_t zBegin, std::int32_t zEnd, int worker) {
                         std::uint8_t* selected = scratch.data() + static_cast<std::ptrdiff_t>(volume.X) * worker;
                         for (std::int32_t z = zBegin; z < zEnd; ++z)
                             for (std::int32_t y = 0; y < volume.Y; ++y) {
                                 std::uint16_t* row = volume.row(y, z);
                                 inside(y, z, row, selected, volume.X);
                                 for (std::int32_t x = 0; x < volume.X; ++x)
                                     if (selected[x] != 0)
                                         row[x] = withFlag(row[x], flag);
                             }
                     });
    return true;
}

void MarkFlags::clearAll(const MaskVolume& volume, std::int32_t processorCount)
{
    SliceRanges::run(volume.Z, volume.sliceSize(), processorCount, [&](std::int32_t zBegin, std::int32_t zEnd, int) {
        std::uint16_t* p = volume.samples + volume.sliceSize() * zBegin;
        const std::ptrdiff_t n = volume.sliceSize() * (zEnd - zBegin);
        for (std::ptrdiff_t i = 0; i < n; ++i)
            p[i] = static_cast<std::uint16_t>(p[i] & ~MaskBits::Flag);
    });
}

void MarkFlags::markRegion(const MaskVolume& volume, const VoxelBox& box, const std::uint8_t* region,
                           std::int32_t flag)
{
    const std::uint16_t bits = static_cast<std::uint16_t>(flag << MaskBits::FlagShift);
    for (std::int32_t z = box.zMin; z <= box.zMax; ++z)
        for (std::int32_t y = box.yMin; y <= box.yMax; ++y) {
            std::uint16_t* row = volume.row(y, z);
            for (std::int32_t x = box.xMin; x <= box.xMax; ++x, ++region) {
                if (*region != 0)
                    row[x] = withFlag(row[x], flag);
                else if ((row[x] & MaskBits::Flag) == bits)
                    row[x] = static_cast<std::uint16_t>(row[x] & ~MaskBits::Flag);
            }
        }
}

} // namespace zvipengine
