#pragma once

#include "MaskBits.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// Region growing from a seed inside the visible box, and the split of the
// box into the seed's structure and its background. Works on a copy of the
// box only; every image below is box-sized, x fastest.
class RegionGrowing {
public:
    static constexpr std::int32_t MaximumWaves = 200;

    struct Box {
        std::int32_t X = 0, Y = 0, Z = 0;
        std::int64_t count() const { return std::int64_t{X} * Y * Z; }
        std::int64_t index(std::int32_t x, std::int32_t y, std::int32_t z) const
        {
            return (std::int64_t{z} * Y + y) * X + x;
        }
    };

    // The box's values (the sample's `valueBits`), masked voxels as 0; when
    // minimum != maximum, values outside minimum..maximum become
    // `outsideValue`.
    static void copyBox(const MaskVolume& volume, const VoxelBox& box, std::uint16_t valueBits, std::int32_t minimum,
                        std::int32_t maximum, std::int16_t outsideValue, std::int16_t* values);

    // Waves over the 18-neighbourhood: a neighbour c of a voxel v of the
    // last wave joins when c - v <= increase and v - c <= decrease; at most
    // MaximumWaves waves. region: 1 in the region. Waves of SplitWave
    // voxels and more are expanded on two threads when the machine has two
    // processors. False without memory.
    static constexpr std::size_t SplitWave = 8192;
    static bool grow(const std::int16_t* values, const Box& box, std::int32_t seedX, std::int32_t seedY,
                     std::int32_t seedZ, std::int32_t increase, std::int32_t decrease, std::int32_t processorCount,
                     std::uint8_t* region);

    // From the grown region: 1 for the background (the voxels not of the
    // seed's structure, cut off by one erosion with the 7-voxel cross, nor
    // enclosed by it). False without memory.
    static bool background(const std::uint8_t* region, const Box& box, std::int32_t seedX, std::int32_t seedY,
                           std::int32_t seedZ, std::int32_t processorCount, std::uint8_t* background);
};

} // namespace zvipengine
