#pragma once

#include <cstdint>

namespace zvipengine {

// One candidate lesion as measured by the structure analysis: 38 four-byte
// fields, of which the feature table writes the first 33 in this order.
struct FeatureRecord {
    std::int32_t centroid[3] = {0, 0, 0};       // voxel, whole volume
    std::int32_t boxMinimum[3] = {0, 0, 0};     // voxel
    std::int32_t boxMaximum[3] = {0, 0, 0};     // voxel
    std::int32_t meanCT = 0;                    // HU
    float deviationCT = 0.0f;                   // HU
    std::int32_t maximumCT = 0;                 // HU
    std::int32_t minimumCT = 0;                 // HU
    float volume = 0.0f;                        // mm^3
    float lowDensityVolume = 0.0f;              // mm^3, below -500 HU
    float mediumDensityVolume = 0.0f;           // mm^3, -500 .. 0 HU
    float highDensityVolume = 0.0f;             // mm^3, above 0 HU
    float circularity = 0.0f;                   // 1 for a ball
    float irregularity = 0.0f;                  // 0 for a ball
    float maximumWidth = 0.0f;                  // mm
    float bisectingWidth = 0.0f;                // mm
    std::int32_t widthMidpoint[3] = {0, 0, 0};  // voxel
    std::int32_t side = 0;                      // 0 or 1
    std::int32_t level = 0;                     // 0 upper, 1 middle, 2 lower
    float chestWallDistance = 0.0f;             // mm
    std::int32_t score = 0;                     // 0 .. 100
    float measures[5] = {0, 0, 0, 0, 0};        // transverse, vertical, thin structure, depth, elongation
    std::int32_t reserved[5] = {0, 0, 0, 0, 0};
};

static_assert(sizeof(FeatureRecord) == 38 * 4, "38 four-byte fields");

} // namespace zvipengine
