#pragma once

#include <cstdint>

namespace zvipengine {

// A 1-bit bottom-up device-independent bitmap: samples at or above the
// threshold (as unsigned 16-bit) take palette entry 1, the others entry 0.
// The leftmost pixel of a row is the most significant bit of its first byte.
class ThresholdBitmap {
public:
    static constexpr std::int32_t HeaderBytes = 40;
    static constexpr std::int32_t PixelOffset = HeaderBytes + 2 * 4;
    static constexpr std::int32_t ExtraBytes = PixelOffset + 4;

    static std::int64_t rowStride(std::int32_t width) { return (std::int64_t{width} + 31) / 32 * 4; }
    static std::int64_t bufferBytes(std::int32_t width, std::int32_t height)
    {
        return rowStride(width) * height + ExtraBytes;
    }
    // colour0 / colour1: 0x00BBGGRR. Fills a zero-filled block.
    static void render(const std::int16_t* image, std::int32_t width, std::int32_t height, std::uint16_t threshold,
                       std::int32_t colour0, std::int32_t colour1, std::uint8_t* bitmap);
};

} // namespace zvipengine
