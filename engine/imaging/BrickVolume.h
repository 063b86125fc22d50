#pragma once

#include "TrilinearSample.h"
#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

// Copy of the volume in bricks of 8 x 8 x 8 voxels, each stored as a 9 x 9 x 9
// block (736 samples with padding) that also holds the first voxel layer of
// its +x, +y and +z neighbours. A trilinear sample then reads one brick, so
// a ray through the volume touches few distinct memory regions.
class BrickVolume {
public:
    static constexpr int BrickSamples = 736;
    static constexpr int BrickEdge = 9;

    // False when the memory cannot be had (the copy stays empty).
    bool build(const VolumeView& volume);
    void clear();
    bool empty() const { return samples_ == nullptr; }

    BrickVolume() = default;
    ~BrickVolume();
    BrickVolume(const BrickVolume&) = delete;
    BrickVolume& operator=(const BrickVolume&) = delete;
    bool matches(const VolumeView& volume) const
    {
        return !empty() && volume.X == X_ && volume.Y == Y_ && volume.Z == Z_;
    }

    const std::int16_t* voxel(int x, int y, int z) const
    {
        const std::ptrdiff_t brick = (x >> 3) + static_cast<std::ptrdiff_t>(bricksX_) *
                                                    ((y >> 3) + static_cast<std::ptrdiff_t>(bricksY_) * (z >> 3));
        return samples_ + brick * BrickSamples + (x & 7) + BrickEdge * (y & 7) +
               BrickEdge * BrickEdge * (z & 7);
    }

private:
    // A private mapping on huge pages where the system grants them: a ray
    // steps from brick layer to brick layer megabytes apart, and with 4 KiB
    // pages nearly every step would miss the address translation cache.
    std::int16_t* samples_ = nullptr;
    void* mapping_ = nullptr;
    std::size_t mappedBytes_ = 0;
    std::int32_t X_ = 0, Y_ = 0, Z_ = 0;
    std::int32_t bricksX_ = 0, bricksY_ = 0;
};

// Reads voxels through the brick copy; same results as DirectVoxelReader.
struct BrickVoxelReader {
    const BrickVolume* bricks;
    VoxelCell cell(const double q[3]) const
    {
        const int a = static_cast<int>(q[0]);
        const int b = static_cast<int>(q[1]);
        const int c = static_cast<int>(q[2]);
        return {bricks->voxel(a, b, c), BrickVolume::BrickEdge, BrickVolume::BrickEdge * BrickVolume::BrickEdge,
                static_cast<float>(q[0] - a), static_cast<float>(q[1] - b), static_cast<float>(q[2] - c)};
    }
    int sample(const double q[3]) const { return cell(q).interpolate(); }
};

} // namespace zvipengine
