#pragma once

#include <cstdint>

namespace zvipengine {

// Shrinks an image in place to floor(width/2) x floor(height/2) by 2 x 2
// averaging; the result occupies the start of the same memory. An odd last
// column or row is dropped.
class HalfSize {
public:
    // Grey: per output pixel, the sum of (v / 4) over its 2 x 2 block plus,
    // for each of its two rows, (the sum of the row's two v % 4) / 4.
    // False when memory for the copy is short.
    static bool shrinkGrey(std::int16_t* image, std::int32_t width, std::int32_t height);
    // Colour: each plane by itself, sum * 0.25 + 0.5, truncated.
    static bool shrinkColour(std::uint8_t* planes, std::int32_t width, std::int32_t height);
};

} // namespace zvipengine
