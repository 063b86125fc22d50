#pragma once

#include "MaskOperations.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// Fills what the lung threshold left out inside each lung: vessels, nodules
// and other dense structures enclosed by lung. Each lung is closed with a
// ball; the added parts stay unless they lie in the middle of the chest or
// open widely to the outside. Then everything not reachable from the
// outside becomes lung.
class LungHoleFilling {
public:
    enum class Outcome { Done, NoMemory };
    // lung: 0/1 in and out (the separation runs inside). values: the box's
    // analysis values; sliceSpacing in mm.
    static Outcome run(ByteMask& lung, const std::vector<std::int16_t>& values, const AnalysisBox& box,
                       double sliceSpacing, std::int32_t processorCount);
};

} // namespace zvipengine
