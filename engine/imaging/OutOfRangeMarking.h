#pragma once

#include <cstdint>

namespace zvipengine {

// Clears the flag bits 14 and 15 of every sample, then sets bit 15 of each
// sample whose remaining value lies outside minimum..maximum.
class OutOfRangeMarking {
public:
    static void apply(std::int16_t* image, std::int64_t count, std::int16_t minimum, std::int16_t maximum)
    {
        for (std::int64_t i = 0; i < count; ++i) {
            const std::int32_t v = static_cast<std::uint16_t>(image[i]) & 0x3FFF;
            const bool outside = v < minimum || v > maximum;
            image[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(v | (outside ? 0x8000 : 0)));
        }
    }
};

} // namespace zvipengine
