#include "WindowedBitmap.h"

#include "LittleEndian.h"
#include "TwoThreadSplit.h"

#include <algorithm>
#include <vector>

namespace zvipengine {

std::uint8_t WindowedBitmap::index(std::int32_t value, std::int32_t level, std::int32_t width)
{
    if (width == 0)
        return value < level ? 0 : 255;
    // 64 bits: level and width come from the caller and may be anything.
    const std::int64_t i = (std::int64_t{value} - level + width / 2) * 255 / width;
    return static_cast<std::uint8_t>(i > 255 ? 255 : (i < 0 ? 0 : i));
}

void WindowedBitmap::render(const std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t level,
                            std::int32_t windowWidth, std::uint8_t* bitmap, std::int32_t processorCount)
{
    storeLittleEndian32(bitmap, HeaderBytes);
    storeLittleEndian32(bitmap + 4, static_cast<std::uint32_t>(width));
    storeLittleEndian32(bitmap + 8, static_cast<std::uint32_t>(height));
    storeLittleEndian16(bitmap + 12, 1);
    storeLittleEndian16(bitmap + 14, 8);
    for (std::int32_t i = 0; i < 256; ++i) {
        std::uint8_t* entry = bitmap + HeaderBytes + 4 * i;
        entry[0] = 0;
        entry[1] = 0;
        entry[2] = static_cast<std::uint8_t>(i);
    }
    // One division per distinct sample value of the image instead of one per
    // pixel: a CT slice spans a few thousand values.
    const std::int64_t count = std::int64_t{width} * height;
    // Plain loops: the compiler vectorises these, not std::minmax_element.
    std::int16_t low = image[0], high = image[0];
    for (std::int64_t i = 0; i < count; ++i) {
        low = std::min(low, image[i]);
        high = std::max(high, image[i]);
    }
    const std::int32_t first = low;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(high - first + 1));
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = index(first + static_cast<std::int32_t>(i), level, windowWidth);
    const std::int64_t stride = rowStride(width);
    std::uint8_t* pixels = bitmap + PixelOffset;
    TwoThreadSplit::run(height, processorCount, 1024, [&](std::int64_t begin, std::int64_t end) {
        for (std::int64_t y = begin; y < end; ++y) {
            const std::int16_t* in = image + y * width;
            std::uint8_t* out = pixels + (height - 1 - y) * stride;
            for (std::int32_t x = 0; x < width; ++x)
                out[x] = table[static_cast<std::size_t>(in[x] - first)];
        }
        return true;
    });
}

} // namespace zvipengine
