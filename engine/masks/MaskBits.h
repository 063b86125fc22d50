#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace zvipengine {

// The per-voxel bits that masks and marks keep in the samples themselves:
// bits 0-11 the value (0-13 while no mark flag is used), 12-13 a mark flag,
// 14-15 the mask age (0 visible, 1 newest step, 2 the step before, 3 older).
struct MaskBits {
    static constexpr std::uint16_t Age = 0xC000;
    static constexpr int AgeShift = 14;
    static constexpr std::uint16_t Flag = 0x3000;
    static constexpr int FlagShift = 12;
    static constexpr std::uint16_t Value = 0x3FFF;

    static bool visible(std::uint16_t sample) { return (sample & Age) == 0; }
    static int age(std::uint16_t sample) { return sample >> AgeShift; }
};

// The volume as the mask operations see it: unsigned samples, so that the
// age bits read as bits and not as a sign.
struct MaskVolume {
    std::uint16_t* samples = nullptr;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;

    bool empty() const { return samples == nullptr || X <= 0 || Y <= 0 || Z <= 0; }
    std::ptrdiff_t sliceSize() const { return static_cast<std::ptrdiff_t>(X) * Y; }
    std::ptrdiff_t sampleCount() const { return sliceSize() * Z; }
    std::ptrdiff_t index(std::int32_t x, std::int32_t y, std::int32_t z) const
    {
        return sliceSize() * z + static_cast<std::ptrdiff_t>(X) * y + x;
    }
    std::uint16_t* row(std::int32_t y, std::int32_t z) const { return samples + index(0, y, z); }
};

// Inclusive box of voxels: x min, x max, y min, y max, z min, z max, the
// order in which the engine keeps it. A box with a minimum above its
// maximum holds nothing.
struct VoxelBox {
    std::int32_t xMin = 0, xMax = -1, yMin = 0, yMax = -1, zMin = 0, zMax = -1;

    static VoxelBox whole(std::int32_t X, std::int32_t Y, std::int32_t Z) { return {0, X - 1, 0, Y - 1, 0, Z - 1}; }
    // The published form of "no voxel visible": each dimension - 1 down to 0.
    static VoxelBox nothing(std::int32_t X, std::int32_t Y, std::int32_t Z) { return {X - 1, 0, Y - 1, 0, Z - 1, 0}; }
    static VoxelBox load(const std::int32_t values[6])
    {
        return {values[0], values[1], values[2], values[3], values[4], values[5]};
    }
    void store(std::int32_t values[6]) const
    {
        values[0] = xMin;
        values[1] = xMax;
        values[2] = yMin;
        values[3] = yMax;
        values[4] = zMin;
        values[5] = zMax;
    }
    // A stored box may predate a change of Z (ChangeImageNum); never reach
    // past the volume.
    VoxelBox clampedTo(std::int32_t X, std::int32_t Y, std::int32_t Z) const
    {
        return {std::max(0, xMin), std::min(X - 1, xMax), std::max(0, yMin),
                std::min(Y - 1, yMax), std::max(0, zMin), std::min(Z - 1, zMax)};
    }
    bool empty() const { return xMin > xMax || yMin > yMax || zMin > zMax; }
    std::int32_t width() const { return xMax - xMin + 1; }
    std::int32_t height() const { return yMax - yMin + 1; }
    std::int32_t depth() const { return zMax - zMin + 1; }
    std::int64_t voxelCount() const
    {
        return empty() ? 0 : std::int64_t{width()} * height() * depth();
    }
    bool contains(std::int32_t x, std::int32_t y, std::int32_t z) const
    {
        return x >= xMin && x <= xMax && y >= yMin && y <= yMax && z >= zMin && z <= zMax;
    }
};

} // namespace zvipengine
