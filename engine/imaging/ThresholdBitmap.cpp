#include "ThresholdBitmap.h"

#include "LittleEndian.h"

#include <cstring>

namespace zvipengine {

namespace {

void storePaletteEntry(std::uint8_t* entry, std::int32_t colour)
{
    const auto c = static_cast<std::uint32_t>(colour);
    entry[0] = static_cast<std::uint8_t>(c >> 16);
    entry[1] = static_cast<std::uint8_t>(c >> 8);
    entry[2] = static_cast<std::uint8_t>(c);
}

} // namespace

void ThresholdBitmap::render(const std::int16_t* image, std::int32_t width, std::int32_t height,
                             std::uint16_t threshold, std::int32_t colour0, std::int32_t colour1,
                             std::uint8_t* bitmap)
{
    storeLittleEndian32(bitmap, HeaderBytes);
    storeLittleEndian32(bitmap + 4, static_cast<std::uint32_t>(width));
    storeLittleEndian32(bitmap + 8, static_cast<std::uint32_t>(height));
    storeLittleEndian16(bitmap + 12, 1);
    storeLittleEndian16(bitmap + 14, 1);
    storePaletteEntry(bitmap + HeaderBytes, colour0);
    storePaletteEntry(bitmap + HeaderBytes + 4, colour1);
    const std::int64_t stride = rowStride(width);
    std::uint8_t* pixels = bitmap + PixelOffset;
    std::memset(pixels, 0, static_cast<std::size_t>(stride * height));
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int16_t* in = image + y * width;
        std::uint8_t* out = pixels + (height - 1 - y) * stride;
        for (std::int32_t x = 0; x < width; ++x)
            if (static_cast<std::uint16_t>(in[x]) >= threshold)
                out[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
    }
}

} // namespace zvipengine
