#include "VolumeStatistics.h"

#include <algorithm>

namespace zvipengine {

void VolumeStatistics::minMax(const VolumeView& volume, bool lowBitsOnly, std::int16_t& minimum,
                              std::int16_t& maximum)
{
    std::int16_t low = 32767;
    std::int16_t high = 0;
    const std::int64_t count = static_cast<std::int64_t>(volume.sliceSize()) * volume.Z;
    const std::int16_t* s = volume.samples;
    if (lowBitsOnly) {
        for (std::int64_t i = 0; i < count; ++i) {
            const auto v = static_cast<std::int16_t>(s[i] & 0x3FFF);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    } else {
        for (std::int64_t i = 0; i < count; ++i) {
            low = std::min(low, s[i]);
            high = std::max(high, s[i]);
        }
    }
    minimum = low;
    maximum = high;
}

std::int32_t VolumeStatistics::histogram(const VolumeView& volume, std::int32_t bins, std::int32_t* counts,
                                         std::int16_t rangeMin, std::int16_t rangeMax)
{
    std::fill(counts, counts + bins, 0);
    const std::int64_t count = static_cast<std::int64_t>(volume.sliceSize()) * volume.Z;
    const std::int64_t span = static_cast<std::int64_t>(rangeMax) - rangeMin;
    const std::int64_t last = bins - 1;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int16_t s = volume.samples[i];
        std::int64_t bin;
        if (s < rangeMin)
            bin = 0;
        else if (s > rangeMax)
            bin = last;
        else
            bin = (static_cast<std::int64_t>(s) - rangeMin) * last / span;
        ++counts[bin];
    }
    return *std::max_element(counts, counts + bins);
}

void VolumeStatistics::clampAbove(std::int16_t* samples, std::int64_t count, std::int16_t maximum)
{
    for (std::int64_t i = 0; i < count; ++i)
        samples[i] = std::min(samples[i], maximum);
}

} // namespace zvipengine
