#pragma once

#include <cstdint>
#include <string>

// The drawing properties in force for the next queued command, with the
// viewer's initial values.
struct OverlayAttributes {
    std::int32_t penWidth = 1;
    std::int32_t penColor = 0xFFFFFF;
    std::int32_t penStyle = 0;          // solid
    std::int32_t textAngle = 0;
    std::int32_t textAlign = 0;         // left, top
    std::int32_t textColor = 0xFFFFFF;
    std::int32_t textSize = 12;
    std::string fontFaceName = "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"; // ＭＳ ゴシック
    std::int32_t brushColor = 0x9B9B9B;
};
