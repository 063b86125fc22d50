#pragma once

#include <cstdint>
#include <string>

// Kinds of queued drawing commands, with the numbers hosts know them by.
enum class OverlayKind : std::int32_t {
    Move = 1,
    Line = 2,
    Ellipse = 3,
    Rectangle = 4,
    FilledRectangle = 5,
    Text = 10,
};

// One queued drawing command. Attributes are copied from the viewer's
// properties when the command is queued, so later property changes leave it
// alone. Colours are 0x00BBGGRR; coordinates are image coordinates.
struct OverlayItem {
    std::int32_t penWidth = 0;
    std::int32_t penColor = 0;
    std::int32_t penStyle = 0;
    OverlayKind kind = OverlayKind::Move;
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    std::int32_t textAngle = 0;     // tenths of a degree, counter-clockwise
    std::string text;
    std::int32_t textAlign = 0;     // system text-alignment flags
    std::int32_t textColor = 0;
    std::int32_t textSize = 0;      // character height in pixels
    std::string fontFaceName;
    std::int32_t brushColor = 0;
};
