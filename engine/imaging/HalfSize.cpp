#include "HalfSize.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zvipengine {

namespace {

std::int32_t rowPart(std::int32_t a, std::int32_t b)
{
    return a / 4 + b / 4 + (a % 4 + b % 4) / 4;
}

} // namespace

bool HalfSize::shrinkGrey(std::int16_t* image, std::int32_t width, std::int32_t height)
{
    const std::int64_t w = width / 2;
    const std::int64_t h = height / 2;
    std::vector<std::int16_t> copy;
    try {
        copy.assign(image, image + std::int64_t{width} * height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t y = 0; y < h; ++y) {
        const std::int16_t* top = copy.data() + 2 * y * width;
        const std::int16_t* bottom = top + width;
        std::int16_t* out = image + y * w;
        for (std::int64_t x = 0; x < w; ++x)
            out[x] = static_cast<std::int16_t>(rowPart(top[2 * x], top[2 * x + 1]) +
                                               rowPart(bottom[2 * x], bottom[2 * x + 1]));
    }
    return true;
}

bool HalfSize::shrinkColour(std::uint8_t* planes, std::int32_t width, std::int32_t height)
{
    const std::int64_t w = width / 2;
    const std::int64_t h = height / 2;
    const std::int64_t plane = std::int64_t{width} * height;
    std::vector<std::uint8_t> copy;
    try {
        copy.assign(planes, planes + 3 * plane);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t p = 0; p < 3; ++p) {
        for (std::int64_t y = 0; y < h; ++y) {
            const std::uint8_t* top = copy.data() + p * plane + 2 * y * width;
            const std::uint8_t* bottom = top + width;
            std::uint8_t* out = planes + p * w * h + y * w;
            for (std::int64_t x = 0; x < w; ++x) {
                const float sum = float(top[2 * x]) + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1];
                out[x] = static_cast<std::uint8_t>(sum * 0.25f + 0.5f);
            }
        }
    }
    return true;
}

} // namespace zvipengine
