#pragma once

#include <cstdint>

namespace zvipengine {

// Maps grey samples through a table of value / colour points into a colour
// image of three byte planes (bits 0-7, 8-15, 16-23 of the 0x00BBGGRR
// colours). Below the first point the first colour, from the last point on
// the last colour, linear in between.
class ColorMapping {
public:
    struct Table {
        const std::int16_t* values = nullptr;
        const std::int32_t* colours = nullptr;
        std::int32_t count = 0;
    };

    // `source` must not overlap `planes` (the caller copies it aside first).
    static void render(const std::int16_t* source, std::int64_t sampleCount, const Table& table,
                       std::uint8_t* planes, std::int32_t processorCount);
};

} // namespace zvipengine
