#include "ZVImgViewer/WindowMapping.h"

#include <algorithm>

std::uint8_t WindowMapping::greyValue(std::int32_t sample, std::int32_t windowLevel, std::int32_t windowWidth)
{
    const std::int64_t width = std::max<std::int32_t>(windowWidth, 1);
    // 64-bit so that extreme levels cannot overflow; within 32-bit range the
    // result is that of the 32-bit formula.
    const std::int64_t numerator = (std::int64_t{sample} + width / 2 - windowLevel) * 255;
    const std::int64_t grey = numerator / width; // truncates toward zero
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(grey, 0, 255));
}

void WindowMapping::configure(std::int32_t windowLevel, std::int32_t windowWidth)
{
    if (filled_ && windowLevel == windowLevel_ && windowWidth == windowWidth_)
        return;
    const std::int64_t width = std::max<std::int32_t>(windowWidth, 1);
    const std::int64_t offset = width / 2 - windowLevel;
    for (std::int32_t sample = -32768; sample <= 32767; ++sample) {
        const std::int64_t shifted = sample + offset;
        std::uint8_t grey;
        if (shifted <= 0)
            grey = 0;
        else if (shifted >= width)
            grey = 255;
        else
            grey = static_cast<std::uint8_t>(shifted * 255 / width);
        table_[static_cast<std::uint16_t>(sample)] = grey;
        pixels_[static_cast<std::uint16_t>(sample)] = DisplayBitmap::fromGrey(grey);
    }
    windowLevel_ = windowLevel;
    windowWidth_ = windowWidth;
    filled_ = true;
}
