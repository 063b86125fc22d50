#pragma once

#include <cstdint>

namespace zvipengine {

// Box mean of n x n in place on a grey image: the block sum divided by n * n,
// truncated toward zero, over the mirrored working image (PaddedImage).
class SmoothingFilter {
public:
    enum class Outcome { Done, Refused, NoMemory };
    // Refused (image untouched) unless n is at most 255 and PaddedImage
    // accepts it.
    static Outcome apply(std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t n,
                         std::int32_t processorCount);
};

} // namespace zvipengine
