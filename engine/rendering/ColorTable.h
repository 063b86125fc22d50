#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// Colour per stored sample value from points of 0x00BBGGRR colours, each
// channel interpolated between neighbouring points like the opacity table.
class ColorTable {
public:
    // False when count < 1, a pointer is null or memory cannot be had.
    bool build(std::int32_t count, const std::int16_t* positions, const std::int32_t* colors);

    // Channel 0 red, 1 green, 2 blue.
    const float* channel(int c) const { return table_.data() + static_cast<std::size_t>(c) * 32768; }

    static double red(std::int32_t color) { return color & 0xFF; }
    static double green(std::int32_t color) { return (color >> 8) & 0xFF; }
    static double blue(std::int32_t color) { return (color >> 16) & 0xFF; }

private:
    std::vector<float> table_;
};

} // namespace zvipengine
