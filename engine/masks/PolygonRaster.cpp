#include "PolygonRaster.h"

#include "ComponentLabelling.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace zvipengine {

namespace {

// Bresenham's line between two pixels, both ends included.
void drawLine(std::vector<std::uint8_t>& image, std::int64_t width, std::int64_t x0, std::int64_t y0,
              std::int64_t x1, std::int64_t y1)
{
    const std::int64_t dx = std::llabs(x1 - x0);
    const std::int64_t dy = -std::llabs(y1 - y0);
    const std::int64_t sx = x0 < x1 ? 1 : -1;
    const std::int64_t sy = y0 < y1 ? 1 : -1;
    std::int64_t error = dx + dy;
    for (;;) {
        image[static_cast<std::size_t>(y0 * width + x0)] = 0;
        if (x0 == x1 && y0 == y1)
            break;
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

} // namespace

PolygonRaster::Result PolygonRaster::build(const std::int32_t* points, std::int32_t count)
{
    inside_.clear();
    width_ = height_ = 0;
    if (points == nullptr || count < 1)
        return Result::InvalidArgument;
    std::int64_t minX = points[0], maxX = points[0], minY = points[1], maxY = points[1];
    for (std::int32_t n = 1; n < count; ++n) {
        minX = std::min<std::int64_t>(minX, points[2 * n]);
        maxX = std::max<std::int64_t>(maxX, points[2 * n]);
        minY = std::min<std::int64_t>(minY, points[2 * n + 1]);
        maxY = std::max<std::int64_t>(maxY, points[2 * n + 1]);
    }
    originX_ = minX - 1;
    originY_ = minY - 1;
    const std::int64_t width = maxX - minX + 3;
    const std::int64_t height = maxY - minY + 3;
    // Each side first: the product of two huge sides would overflow.
    if (width > MaximumPixels || height > MaximumPixels || width * height > MaximumPixels)
        return Result::InvalidArgument;
    std::vector<std::uint8_t> open;
    try {
        open.assign(static_cast<std::size_t>(width * height), 1);
        inside_.resize(open.size());
    } catch (const std::bad_alloc&) {
        inside_.clear();
        return Result::NoMemory;
    }
    // Consecutive points only: the host closes an outline by repeating its
    // first point; an open one encloses nothing but its own line.
    for (std::int32_t n = 0; n + 1 < count; ++n)
        drawLine(open, width, points[2 * n] - originX_, points[2 * n + 1] - originY_, points[2 * n + 2] - originX_,
                 points[2 * n + 3] - originY_);
    // Four-neighbour reach: the eight-connected digital lines then close.
    std::vector<std::uint8_t>& outside = inside_;
    if (!ComponentLabelling::reach(open.data(), static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                                   1, ComponentLabelling::Connectivity::Face, {0}, outside.data())) {
        inside_.clear();
        return Result::NoMemory;
    }
    for (std::uint8_t& v : inside_)
        v = v == 0 ? 1 : 0;
    width_ = width;
    height_ = height;
    return Result::Done;
}

void PolygonRaster::writeByteImage(std::uint8_t* image, std::int32_t width, std::int32_t height,
                                   std::int32_t interior) const
{
    const std::uint8_t background = interior == 0 ? 0 : 1;
    const std::uint8_t mark = interior == 0 ? 1 : 0;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            image[static_cast<std::ptrdiff_t>(width) * y + x] = inside(x, y) ? mark : background;
}

} // namespace zvipengine
