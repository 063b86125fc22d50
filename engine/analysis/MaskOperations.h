#pragma once

#include "../masks/StructuringElement.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// A box of the volume in voxels: origin and size.
struct AnalysisBox {
    std::int32_t x0 = 0, y0 = 0, z0 = 0;
    std::int32_t W = 0, H = 0, D = 0;
    std::int64_t voxels() const { return static_cast<std::int64_t>(W) * H * D; }
    bool empty() const { return W <= 0 || H <= 0 || D <= 0; }
};

// Byte mask of a box (0/1), x fastest.
using ByteMask = std::vector<std::uint8_t>;

// The mask steps shared by the segmentation stages: the structuring
// elements they name, erosion and dilation on whole masks, and the slice
// doubling used where thin structures must stay connected across slices.
class MaskOperations {
public:
    static StructuringElement square(std::int32_t n, std::int32_t depth = 1);
    // 3 x 3 in-plane cross (0 1 0 / 1 1 1 / 0 1 0).
    static StructuringElement planeCross();
    // The 7 x 7 in-plane disk of the airway removal.
    static StructuringElement disk7();
    // 5 x 5 in-plane square without its first position.
    static StructuringElement square5WithoutFirst();

    // In place; false when memory runs out.
    static bool erode(ByteMask& mask, const AnalysisBox& box, const StructuringElement& element,
                      std::int32_t processorCount, const std::uint8_t* restricting = nullptr);
    static bool dilate(ByteMask& mask, const AnalysisBox& box, const StructuringElement& element,
                       std::int32_t processorCount, const std::uint8_t* restricting = nullptr);

    // 2D - 1 layers: layer 2k is slice k, layer 2k + 1 the mean of slices k
    // and k + 1 (integer division).
    static std::vector<std::int16_t> doubleSlices(const std::vector<std::int16_t>& values, std::int32_t W,
                                                  std::int32_t H, std::int32_t D);
    // Keeps the even layers of a doubled mask.
    static ByteMask undoubleSlices(const ByteMask& doubled, std::int32_t W, std::int32_t H, std::int32_t D);
};

} // namespace zvipengine
