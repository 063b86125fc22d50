#pragma once

#include "MaskOperations.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// Tells the two lungs apart slice by slice: lung 1 on the image's left,
// lung 2 on its right. A slice where they meet is thresholded ever lower
// until they come apart, or else cut at its middle column.
class LungSeparation {
public:
    enum class Outcome { Done, NoMemory };
    // lung: 0/1 in, 0/1/2 out. values: the box's analysis values.
    // middleCuts counts the slices that no limit separated.
    static Outcome run(ByteMask& lung, const std::vector<std::int16_t>& values, const AnalysisBox& box,
                       std::int32_t* middleCuts = nullptr);
};

} // namespace zvipengine
