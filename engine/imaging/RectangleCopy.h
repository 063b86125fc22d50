#pragma once

#include <algorithm>
#include <cstdint>

namespace zvipengine {

// Rectangle copies between images of `planes` planes each.
class RectangleCopy {
public:
    struct Image {
        std::int32_t width = 0;
        std::int32_t height = 0;
    };

    // The width x height rectangle of the source whose top-left pixel is
    // (px, py); false unless it lies inside the source.
    static bool cutValid(Image destination, Image source, std::int32_t px, std::int32_t py)
    {
        return destination.width >= 0 && destination.height >= 0 && source.width >= 0 && source.height >= 0 &&
               px >= 0 && py >= 0 && std::int64_t{source.width} >= std::int64_t{destination.width} + px &&
               std::int64_t{source.height} >= std::int64_t{destination.height} + py;
    }
    template <typename Element>
    static void cut(Element* destination, Image d, const Element* source, Image s, std::int32_t px,
                    std::int32_t py, std::int32_t planes)
    {
        for (std::int64_t p = 0; p < planes; ++p)
            for (std::int64_t y = 0; y < d.height; ++y) {
                const Element* in = source + p * s.width * std::int64_t{s.height} + (y + py) * s.width + px;
                std::copy(in, in + d.width, destination + p * d.width * std::int64_t{d.height} + y * d.width);
            }
    }

    // The whole source pasted with its top-left pixel at (px, py), rows cut
    // at the destination's right edge, rows below its bottom dropped. False
    // unless the source fits the destination's size and (px, py) is not
    // negative.
    static bool pasteValid(Image destination, Image source, std::int32_t px, std::int32_t py)
    {
        return source.width >= 0 && source.height >= 0 && destination.width >= source.width &&
               destination.height >= source.height && px >= 0 && py >= 0;
    }
    template <typename Element>
    static void paste(Element* destination, Image d, const Element* source, Image s, std::int32_t px,
                      std::int32_t py, std::int32_t planes)
    {
        const std::int64_t columns = std::clamp<std::int64_t>(std::int64_t{d.width} - px, 0, s.width);
        const std::int64_t rows = std::clamp<std::int64_t>(std::int64_t{d.height} - py, 0, s.height);
        for (std::int64_t p = 0; p < planes; ++p)
            for (std::int64_t y = 0; y < rows; ++y) {
                const Element* in = source + p * s.width * std::int64_t{s.height} + y * s.width;
                std::copy(in, in + columns,
                          destination + p * d.width * std::int64_t{d.height} + (y + py) * d.width + px);
            }
    }
};

} // namespace zvipengine
