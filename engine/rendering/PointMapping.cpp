#include "PointMapping.h"

#include "DepthImageRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zvipengine {

namespace {

void setMissing(float* point)
{
    point[0] = point[1] = point[2] = -1.0f;
}

bool validSize(const DepthImageRecord::Header& h)
{
    return h.width > 0 && h.height > 0;
}

} // namespace

bool PointMapping::screenToVolume(float* point, const std::uint8_t* record, std::int32_t px, std::int32_t py)
{
    if (point == nullptr || record == nullptr)
        return false;
    const DepthImageRecord::Header h = DepthImageRecord::readHeader(record);
    if (!validSize(h) || px < 0 || py < 0 || px >= h.width || py >= h.height)
        return false;
    const std::uint16_t d = DepthImageRecord::depthAt(record, h.width, px, py);
    if (d == 0) {
        setMissing(point);
        return true;
    }
    const auto q = h.view.transformPoint(px, py, static_cast<double>(d) + h.start);
    for (int a = 0; a < 3; ++a)
        point[a] = static_cast<float>(q[static_cast<std::size_t>(a)]);
    return true;
}

bool PointMapping::volumeToScreen(float* point, std::int32_t* behind, const std::uint8_t* record, std::int32_t px,
                                  std::int32_t py, std::int32_t pz)
{
    if (point == nullptr || record == nullptr || px < 0 || py < 0 || pz < 0)
        return false;
    const DepthImageRecord::Header h = DepthImageRecord::readHeader(record);
    Matrix4 inverse;
    if (!validSize(h) || !h.view.inverse(inverse))
        return false;
    const auto q = inverse.transformPoint(px, py, pz);
    const double u = q[0];
    const double v = q[1];
    const double w = q[2];
    if (!(u >= 0.0 && u <= h.width && v >= 0.0 && v <= h.height)) {
        setMissing(point);
        return true;
    }
    point[0] = static_cast<float>(u);
    point[1] = static_cast<float>(v);
    point[2] = static_cast<float>(w);
    if (behind != nullptr) {
        // u = W (or v = H) is on the image's far edge: its last pixel is read.
        const auto i = std::min(static_cast<std::int32_t>(u + 0.5), h.width - 1);
        const auto j = std::min(static_cast<std::int32_t>(v + 0.5), h.height - 1);
        const double surface = static_cast<double>(h.start) + DepthImageRecord::depthAt(record, h.width, i, j);
        const double difference = std::trunc(w - surface);
        *behind = static_cast<std::int32_t>(std::clamp(difference, -2147483648.0, 2147483647.0));
    }
    return true;
}

bool PointMapping::enlarge(std::uint8_t* record, std::int32_t width, std::int32_t height)
{
    if (record == nullptr)
        return false;
    DepthImageRecord::Header h = DepthImageRecord::readHeader(record);
    if (!validSize(h) || width < h.width || height < h.height)
        return false;
    const std::int32_t left = width / 2 - h.width / 2;
    const std::int32_t top = height / 2 - h.height / 2;
    // Rows move to later places: copy from the bottom so no row is
    // overwritten before it has moved (the areas overlap in place).
    std::uint8_t* data = record + DepthImageRecord::HeaderBytes;
    const std::int64_t oldRow = 2 * std::int64_t{h.width};
    const std::int64_t newRow = 2 * std::int64_t{width};
    for (std::int32_t j = h.height - 1; j >= 0; --j)
        std::memmove(data + newRow * (top + j) + 2 * std::int64_t{left}, data + oldRow * j,
                     static_cast<std::size_t>(oldRow));
    // Clear around the moved image.
    for (std::int32_t j = 0; j < height; ++j) {
        std::uint8_t* row = data + newRow * j;
        if (j < top || j >= top + h.height) {
            std::memset(row, 0, static_cast<std::size_t>(newRow));
            continue;
        }
        std::memset(row, 0, static_cast<std::size_t>(2 * std::int64_t{left}));
        const std::int64_t right = 2 * (std::int64_t{left} + h.width);
        std::memset(row + right, 0, static_cast<std::size_t>(newRow - right));
    }
    // The shift by which the image was placed, so that every pixel keeps its
    // volume position also when the sizes differ by an odd count.
    h.view = Matrix4::translate(-left, -top, 0.0).then(h.view);
    h.width = width;
    h.height = height;
    DepthImageRecord::writeHeader(record, h);
    return true;
}

} // namespace zvipengine
