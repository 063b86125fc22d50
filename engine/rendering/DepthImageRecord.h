#pragma once

#include "../imaging/Matrix4.h"

#include <cstdint>

namespace zvipengine {

// The depth image a rendering leaves for point mapping: a 128-byte
// little-endian header (width, height, first slab step, slab steps, the
// view matrix as 16 floats) followed by one 16-bit depth step per pixel,
// 0 where the ray received nothing.
class DepthImageRecord {
public:
    static constexpr std::int64_t HeaderBytes = 128;

    struct Header {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t start = 0;
        std::int32_t depth = 0;
        Matrix4 view;
    };

    static std::int64_t requiredBytes(std::int32_t width, std::int32_t height)
    {
        return 2 * std::int64_t{width} * height + HeaderBytes;
    }
    static void writeHeader(std::uint8_t* record, const Header& header);
    static Header readHeader(const std::uint8_t* record);
    static void storeDepth(std::uint8_t* record, std::int32_t width, std::int32_t i, std::int32_t j,
                           std::uint16_t depth)
    {
        std::uint8_t* at = record + HeaderBytes + 2 * (std::int64_t{width} * j + i);
        at[0] = static_cast<std::uint8_t>(depth);
        at[1] = static_cast<std::uint8_t>(depth >> 8);
    }
    static std::uint16_t depthAt(const std::uint8_t* record, std::int32_t width, std::int32_t i, std::int32_t j)
    {
        const std::uint8_t* at = record + HeaderBytes + 2 * (std::int64_t{width} * j + i);
        return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
    }
};

} // namespace zvipengine
