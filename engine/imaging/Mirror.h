#pragma once

#include <algorithm>
#include <cstdint>

namespace zvipengine {

// Left-right mirror in place: output x = input (width - 1 - x) on every row
// of `planes` planes of width x height elements.
class Mirror {
public:
    template <typename Element>
    static void leftRight(Element* image, std::int32_t width, std::int32_t height, std::int32_t planes)
    {
        const std::int64_t rows = std::int64_t{height} * planes;
        for (std::int64_t r = 0; r < rows; ++r)
            std::reverse(image + r * width, image + (r + 1) * width);
    }
};

} // namespace zvipengine
