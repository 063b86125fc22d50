#pragma once

#include "MaskOperations.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zvipengine {

// The structure code of every voxel (0 = none), which codes have been
// computed, and the parent of each code (a code's mask includes its
// descendants). Higher codes win when masks are written.
class StructureMap {
public:
    enum Code : std::uint8_t {
        Body = 100,
        Lungs = 110,
        LungOne = 111,
        LungTwo = 112,
        Heart = 150,
        Liver = 160,
        Airways = 180,
        Bone = 200,
    };

    // False when the memory cannot be had.
    bool allocate(std::int32_t X, std::int32_t Y, std::int32_t Z);
    void clear();

    // Every voxel of the box mask whose code is not above `code` gets it.
    void write(const ByteMask& mask, const AnalysisBox& box, std::uint8_t code);
    // 1 where the voxel's code is `code` or one of its descendants.
    ByteMask mask(const AnalysisBox& box, std::initializer_list<std::uint8_t> codes) const;
    // Bounding box of the voxels of these codes (or descendants), enlarged
    // by `margin` on each side and cut to the volume; empty when none.
    AnalysisBox boundingBox(std::initializer_list<std::uint8_t> codes, std::int32_t margin) const;
    bool belongsTo(std::uint8_t code, std::uint8_t ancestor) const;

    std::uint8_t at(std::int32_t x, std::int32_t y, std::int32_t z) const
    {
        return codes_[static_cast<std::size_t>((static_cast<std::int64_t>(z) * Y_ + y) * X_ + x)];
    }
    std::uint8_t* data() { return codes_.data(); }
    const std::uint8_t* data() const { return codes_.data(); }
    std::int32_t X() const { return X_; }
    std::int32_t Y() const { return Y_; }
    std::int32_t Z() const { return Z_; }

    std::array<bool, 256> computed{};
    std::array<std::uint8_t, 256> parent{};

private:
    // 256 entries: true where the code is one of the asked codes or below one.
    std::array<bool, 256> membership(std::initializer_list<std::uint8_t> codes) const;

    std::vector<std::uint8_t> codes_;
    std::int32_t X_ = 0, Y_ = 0, Z_ = 0;
};

} // namespace zvipengine
