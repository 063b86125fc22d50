#pragma once

#include "MaskOperations.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// The central airways (trachea and main bronchi): a seed in the first
// slices of the working box, a tube of 8..30 mm by 8..50 mm near the middle,
// grown at falling thresholds until the tree it finds stays within 80 mm.
class AirwaySegmentation {
public:
    enum class Outcome { Found, NotFound, NoMemory };
    // values: the box's analysis values; spacingX in mm. airways: the tree,
    // dilated once with the 3 x 3 square.
    static Outcome run(const std::vector<std::int16_t>& values, const AnalysisBox& box, double spacingX,
                       std::int32_t processorCount, ByteMask& airways);
    // Clears from `lung` the airways dilated with the 7 x 7 disk.
    static bool remove(const ByteMask& airways, const AnalysisBox& box, std::int32_t processorCount,
                       ByteMask& lung);
};

} // namespace zvipengine
