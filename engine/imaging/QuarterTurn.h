#pragma once

#include <cstdint>

namespace zvipengine {

// Rotation in place by whole quarter turns. Turns: 0 none; 1 clockwise
// (input (x, y) -> output column height - 1 - y, row x; height wide);
// 2 half; 3 counter-clockwise (input (x, y) -> column y, row width - 1 - x).
class QuarterTurn {
public:
    // Any angle in degrees -> 0..3 (brought into 0..359, divided by 90).
    static std::int32_t turnsOf(std::int32_t angle);
    // `planes` planes of width x height elements, each turned alike. False
    // when memory for the copy is short (image untouched).
    static bool turn(std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t planes,
                     std::int32_t turns);
    static bool turn(std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t planes,
                     std::int32_t turns);
};

} // namespace zvipengine
