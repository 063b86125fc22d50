#include "QuarterTurn.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zvipengine {

namespace {

template <typename Element>
bool turnPlanes(Element* image, std::int32_t width, std::int32_t height, std::int32_t planes, std::int32_t turns)
{
    const std::int64_t size = std::int64_t{width} * height;
    if (turns == 0)
        return true;
    if (turns == 2) {
        // A half turn is the reversal of each plane: no copy needed.
        for (std::int64_t p = 0; p < planes; ++p)
            std::reverse(image + p * size, image + (p + 1) * size);
        return true;
    }
    std::vector<Element> copy;
    try {
        copy.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Output is height wide and width high.
    for (std::int64_t p = 0; p < planes; ++p) {
        Element* plane = image + p * size;
        std::copy(plane, plane + size, copy.begin());
        for (std::int64_t y = 0; y < height; ++y) {
            const Element* in = copy.data() + y * width;
            if (turns == 1) {
                Element* column = plane + (height - 1 - y);
                for (std::int64_t x = 0; x < width; ++x)
                    column[x * height] = in[x];
            } else {
                Element* column = plane + y;
                for (std::int64_t x = 0; x < width; ++x)
                    column[(width - 1 - x) * height] = in[x];
            }
        }
    }
    return true;
}

} // namespace

std::int32_t QuarterTurn::turnsOf(std::int32_t angle)
{
    const std::int32_t degrees = ((angle % 360) + 360) % 360;
    return degrees / 90;
}

bool QuarterTurn::turn(std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t planes,
                       std::int32_t turns)
{
    return turnPlanes(image, width, height, planes, turns);
}

bool QuarterTurn::turn(std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t planes,
                       std::int32_t turns)
{
    return turnPlanes(image, width, height, planes, turns);
}

} // namespace zvipengine
