#pragma once

#include <cstdint>

namespace zvipengine {

// Enlarges an image to twice its width and height by bilinear interpolation;
// the first and last output pixels of a row or column fall on the first and
// last source pixels. Value = interpolation + 0.01, truncated.
class DoubleSize {
public:
    // Grey samples are read as unsigned 16-bit. False when memory for the
    // per-column weights is short.
    static bool enlargeGrey(const std::uint16_t* source, std::int32_t width, std::int32_t height,
                            std::uint16_t* destination);
    static bool enlargeColour(const std::uint8_t* source, std::int32_t width, std::int32_t height,
                              std::uint8_t* destination);
};

} // namespace zvipengine
