#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// A polygon given as integer (x, y) points, rasterised on its bounding box
// enlarged by one pixel on every side: the segments between consecutive
// points, and the closing segment from the last point back to the first,
// are drawn as digital lines; the pixels that cannot reach the image's
// top-left corner through 4-neighbours without crossing a line are inside
// (the interior and the lines themselves).
class PolygonRaster {
public:
    enum class Result { Done, InvalidArgument, NoMemory };

    // points: count (x, y) pairs.
    Result build(const std::int32_t* points, std::int32_t count);

    bool inside(std::int64_t x, std::int64_t y) const
    {
        const std::int64_t column = x - originX_;
        const std::int64_t row = y - originY_;
        if (column < 0 || row < 0 || column >= width_ || row >= height_)
            return false;
        return inside_[static_cast<std::size_t>(row * width_ + column)] != 0;
    }
    // The caller's width x height byte image: cleared with the inside
    // pixels 1 (interior 0), or set to 1 with the inside pixels 0.
    void writeByteImage(std::uint8_t* image, std::int32_t width, std::int32_t height, std::int32_t interior) const;

    // Larger polygon images are refused rather than allocated.
    static constexpr std::int64_t MaximumPixels = std::int64_t{1} << 28;

private:
    std::int64_t originX_ = 0;
    std::int64_t originY_ = 0;
    std::int64_t width_ = 0;
    std::int64_t height_ = 0;
    std::vector<std::uint8_t> inside_;
};

} // namespace zvipengine
