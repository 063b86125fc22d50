#include "ZVImgViewer/DisplayBitmap.h"

void DisplayBitmap::reshape(std::int32_t width, std::int32_t height, Kind kind)
{
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    kind_ = kind;
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    if (pixels_.size() < count)
        pixels_.resize(count);
}
