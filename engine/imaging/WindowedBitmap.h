#pragma once

#include <cstdint>

namespace zvipengine {

// An 8-bit bottom-up device-independent bitmap of a grey image seen through a
// window level and width: 40-byte header, 256 red-ramp palette entries, then
// rows padded to a multiple of 4 bytes, the last image row first.
class WindowedBitmap {
public:
    static constexpr std::int32_t HeaderBytes = 40;
    static constexpr std::int32_t PixelOffset = HeaderBytes + 256 * 4;
    // Published block size: rows + 1068 bytes.
    static constexpr std::int32_t ExtraBytes = PixelOffset + 4;

    static std::int64_t rowStride(std::int32_t width) { return (std::int64_t{width} + 3) / 4 * 4; }
    static std::int64_t bufferBytes(std::int32_t width, std::int32_t height)
    {
        return rowStride(width) * height + ExtraBytes;
    }
    // (v - level + width/2) * 255 / width, truncated, clamped to 0..255. A
    // zero width is a step at the level (the division has no value there).
    static std::uint8_t index(std::int32_t value, std::int32_t level, std::int32_t width);

    // Fills a zero-filled block of bufferBytes(width, height) bytes.
    static void render(const std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t level,
                       std::int32_t windowWidth, std::uint8_t* bitmap, std::int32_t processorCount);
};

} // namespace zvipengine
