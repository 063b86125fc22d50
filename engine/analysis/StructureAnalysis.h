#pragma once

#include "FeatureRecord.h"
#include "MaskOperations.h"
#include "StructureMap.h"

#include <cstdint>
#include <vector>

namespace zvipengine {

// The structures inside the segmented lungs: a depth map of each lung, the
// dense structures (vessels, airway walls, lesions) written as 113..115,
// and the compact ones deep enough in the lung measured as candidate
// lesions and written as 116..118.
//
// The rules that the numbers leave open are these: the depth of a voxel is
// twice the number of cross erosions its half-resolution lung survives, on
// every slice alike; the base image is the 7 x 7 mean of the CT with the
// voxels outside the lungs read as parenchyma (-850 HU, the base level);
// the skeleton points are the structure voxels deeper than 18; a picked
// component is compact when its longest extent is at most three times its
// shortest (in mm) and it has at least 3 voxels.
class StructureAnalysis {
public:
    enum class Outcome { Done, NoMemory };
    static constexpr std::int32_t BaseLevel = 174;

    static Outcome run(const std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y, std::int32_t Z,
                       const double spacing[3], std::int32_t processorCount, StructureMap& map,
                       std::vector<FeatureRecord>& records);

    // Depth of each lung voxel of the box (0 outside the lungs).
    static bool depthMap(const ByteMask& lung, const AnalysisBox& box, std::int32_t processorCount,
                         std::vector<std::int16_t>& depth);
};

} // namespace zvipengine
