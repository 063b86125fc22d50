#pragma once

#include <array>
#include <cstdint>

#include "ZVImgViewer/DisplayBitmap.h"

// Maps signed 16-bit samples to 8-bit grey through a window level and width:
// g = ((v + WW / 2 - WL) * 255) / WW, divisions truncating toward zero, clamped
// to 0..255, so that WL - WW/2 gives 0 and WL + WW/2 gives 255. The whole
// 16-bit range is tabulated once per window so that a rebuild is one lookup
// per pixel.
class WindowMapping
{
public:
    // A width below 1 acts as 1 (no division by zero).
    static std::uint8_t greyValue(std::int32_t sample, std::int32_t windowLevel, std::int32_t windowWidth);

    // Refills the table when the window differs from the one it holds.
    void configure(std::int32_t windowLevel, std::int32_t windowWidth);

    std::uint8_t operator()(std::int16_t sample) const { return table_[static_cast<std::uint16_t>(sample)]; }
    // Indexed by the sample's 16 bits taken as unsigned.
    const std::uint8_t* table() const { return table_.data(); }
    // The same as screen pixels (0xFFgggggg), so that a rebuild is one load per pixel.
    const std::uint32_t* pixelTable() const { return pixels_.data(); }

private:
    std::array<std::uint8_t, 65536> table_{};
    std::array<std::uint32_t, 65536> pixels_{};
    std::int32_t windowLevel_ = 0;
    std::int32_t windowWidth_ = 0;
    bool filled_ = false;
};
