#pragma once

#include "StructuringElement.h"

#include <cstdint>

namespace zvipengine {

// Binary erosion and dilation of a 0/1 byte image of X x Y x Z: the minimum
// (erosion) or maximum (dilation) over the element's positions placed with
// its centre on the element, positions outside the image counting as 0.
// Where a restricting image is given and 0, the input passes unchanged.
// Each run of the element is tested at once from the row's next zero (or
// next one) positions, so the cost does not grow with the element's width.
class Morphology {
public:
    enum class Operation { Erosion, Dilation };

    // out must not alias in. False when the row scratch cannot be had.
    static bool apply(Operation operation, const std::uint8_t* in, std::uint8_t* out, std::int32_t X,
                      std::int32_t Y, std::int32_t Z, const StructuringElement& element,
                      const std::uint8_t* restricting, std::int32_t processorCount);
};

} // namespace zvipengine
