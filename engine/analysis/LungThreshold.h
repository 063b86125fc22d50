#pragma once

#include "MaskOperations.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// First lung mask of the working box: the air inside the body (CT < -800)
// that is not the air around it, one component when both lungs meet, else
// the two largest, widened slice by slice to the parts of CT < -400 that
// contain some of that air.
class LungThreshold {
public:
    enum class Outcome { Done, NoMemory };
    // values: the box's analysis values; volumeWidth: X of the whole volume.
    static Outcome run(const std::vector<std::int16_t>& values, const AnalysisBox& box, std::int32_t volumeWidth,
                       ByteMask& lung);
};

} // namespace zvipengine
