#pragma once

#include <cstdint>

namespace zvipengine {

// Median of the n x n neighbourhood in place on a grey image: the block's
// values ordered from largest to smallest, the one at position n*n/2 (for an
// even n*n the lower of the two middle values).
class MedianFilter {
public:
    enum class Outcome { Done, Refused, NoMemory };
    // Refused (image untouched) unless PaddedImage accepts n.
    static Outcome apply(std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t n,
                         std::int32_t processorCount);
};

} // namespace zvipengine
