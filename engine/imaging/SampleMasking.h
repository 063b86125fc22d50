#pragma once

#include "TrilinearSample.h"
#include "VolumeView.h"

#include <algorithm>
#include <cstdint>

namespace zvipengine {

// How the reformats and projections read samples while a mask is in force
// (bits 14-15 of a sample hold its mask age, 0 = visible).
enum class MaskReading {
    Plain,      // no mask: samples as stored, no per-voxel test
    ValueBits,  // the low 14 bits of every voxel, masked or not
    HonourMask, // projections leave masked voxels out; the orthogonal
                // reformat carries their mask bits into the output
};

struct SampleBits {
    static constexpr std::uint16_t Mask = 0xC000;
    static constexpr std::uint16_t Value = 0x3FFF;
};

// The eight voxels of a sample position read through their low 14 bits;
// with Skip, also whether any of them is masked.
template <bool Skip>
struct MaskedVoxelCell {
    // Laid out as a 2 x 2 x 2 block: row stride 2, slice stride 4.
    std::int16_t values[8];
    bool masked;
    float fx, fy, fz;

    int interpolate() const { return interpolateTrilinear(values, 2, 4, fx, fy, fz); }
    int largest() const { return *std::max_element(values, values + 8); }
    int smallest() const { return *std::min_element(values, values + 8); }
    bool visible() const
        requires Skip
    {
        return !masked;
    }
};

template <bool Skip>
struct MaskedVoxelReader {
    const std::uint16_t* samples;
    std::ptrdiff_t rowStride;
    std::ptrdiff_t sliceStride;
    explicit MaskedVoxelReader(const VolumeView& v)
        : samples(reinterpret_cast<const std::uint16_t*>(v.samples)), rowStride(v.X), sliceStride(v.sliceSize())
    {
    }
    MaskedVoxelCell<Skip> cell(const double q[3]) const
    {
        const int a = static_cast<int>(q[0]);
        const int b = static_cast<int>(q[1]);
        const int c = static_cast<int>(q[2]);
        const std::uint16_t* p = samples + a + rowStride * b + sliceStride * c;
        const std::uint16_t raw[8] = {p[0],
                                      p[1],
                                      p[rowStride],
                                      p[rowStride + 1],
                                      p[sliceStride],
                                      p[sliceStride + 1],
                                      p[sliceStride + rowStride],
                                      p[sliceStride + rowStride + 1]};
        MaskedVoxelCell<Skip> cell;
        std::uint16_t bits = 0;
        for (int n = 0; n < 8; ++n) {
            bits = static_cast<std::uint16_t>(bits | raw[n]);
            cell.values[n] = static_cast<std::int16_t>(raw[n] & SampleBits::Value);
        }
        cell.masked = (bits & SampleBits::Mask) != 0;
        cell.fx = static_cast<float>(q[0] - a);
        cell.fy = static_cast<float>(q[1] - b);
        cell.fz = static_cast<float>(q[2] - c);
        return cell;
    }
};

// Reading one sample for a combination (the orthogonal projections):
// masked voxels become `neutral` under HonourMask.
template <MaskReading Reading>
struct SampleRead {
    int neutral = 0;
    int operator()(std::int16_t sample) const
    {
        const auto s = static_cast<std::uint16_t>(sample);
        if constexpr (Reading == MaskReading::Plain)
            return sample;
        else if constexpr (Reading == MaskReading::ValueBits)
            return s & SampleBits::Value;
        else
            return (s & SampleBits::Mask) != 0 ? neutral : static_cast<int>(s);
    }
};

} // namespace zvipengine
