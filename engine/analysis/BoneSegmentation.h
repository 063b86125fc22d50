#pragma once

#include "MaskOperations.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// Bone: smoothed tissue above 69 HU connected to a core above 99 HU, on
// doubled slices so that thin ribs stay connected, small pieces dropped.
class BoneSegmentation {
public:
    enum class Outcome { Done, NoMemory };
    static Outcome run(const std::vector<std::int16_t>& values, const AnalysisBox& box, double sliceSpacing,
                       std::int32_t processorCount, ByteMask& bone);
    // Clears from `lung` the bone dilated with the 3 x 3 in-plane square.
    static bool remove(const ByteMask& bone, const AnalysisBox& box, std::int32_t processorCount, ByteMask& lung);
};

} // namespace zvipengine
