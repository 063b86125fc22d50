#pragma once

#include "MaskOperations.h"
#include "StructureMap.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// The heart (150) and liver (160) region: smooth soft tissue of 0..120 HU,
// found on a third of the in-plane resolution. The liver grows from a
// compact tissue core on the image's left half, the heart from one near the
// middle, chosen among tall enough parts beside the lungs.
class HeartLiverSegmentation {
public:
    enum class Outcome { Done, NoMemory };
    // values: the whole analysis volume; bodyBox: the working box; lung: its
    // lung mask, for the lungs' extent.
    static Outcome run(const std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y, std::int32_t Z,
                       const double spacing[3], const AnalysisBox& bodyBox, const ByteMask& lung,
                       std::int32_t processorCount, StructureMap& map);
};

} // namespace zvipengine
