#pragma once

#include "VolumeView.h"

#include <cstdint>

namespace zvipengine {

// Value range, histogram and range clamping over the whole volume.
class VolumeStatistics {
public:
    // Smallest and largest sample, starting from 32767 and 0; lowBitsOnly
    // compares the low 14 bits (while a mask is in force).
    static void minMax(const VolumeView& volume, bool lowBitsOnly, std::int16_t& minimum, std::int16_t& maximum);
    // bins counters; samples below rangeMin go to bin 0, above rangeMax to
    // the last bin. Needs bins >= 1 and rangeMax > rangeMin. Returns the
    // largest count.
    static std::int32_t histogram(const VolumeView& volume, std::int32_t bins, std::int32_t* counts,
                                  std::int16_t rangeMin, std::int16_t rangeMax);
    static void clampAbove(std::int16_t* samples, std::int64_t count, std::int16_t maximum);
};

} // namespace zvipengine
