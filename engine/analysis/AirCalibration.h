#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// Brings the air of a scanner that reads air above -900 HU down to -1000.
// The reference patch lies in front of the patient: x 206..305, y 20..69,
// z 2..4, at those pixels on every slice that holds them; only slices too
// small for it take the patch scaled from the 512 x 512 layout.
class AirCalibration {
public:
    // Mean of the analysis values (CT + 1024, negatives as 0) over the patch.
    static std::int32_t patchMean(const std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y,
                                  std::int32_t Z);
    // Rescales the values below 1024 when the patch mean says the air reads
    // between -900 and 0 HU; a patch of tissue (mean at or above 1024) is no
    // air and leaves the volume as it is. Returns whether it rescaled.
    static bool apply(std::vector<std::int16_t>& values, std::int32_t X, std::int32_t Y, std::int32_t Z);
};

} // namespace zvipengine
