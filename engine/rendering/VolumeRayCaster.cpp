#include "VolumeRayCaster.h"

#include "DepthImageRecord.h"
#include "GradientShading.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

namespace zvipengine {

namespace {

// Transmission at the start of a ray.
double startingTransmission(double attenuation, std::int32_t depth)
{
    return attenuation > 0.0 ? 1.0 / std::pow(attenuation, depth / 2 + 1) : 1.0;
}

struct RayRows {
    const std::int16_t* above;
    const std::int16_t* ray;
    const std::int16_t* below;
    std::int64_t stride; // samples per ray
};

// Grey compositing of one ray; returns the accumulated value and the step
// of the largest contribution (0: none).
double compositeGrey(const RayRows& r, const RayCastRequest& request, std::int32_t depth, std::int32_t& bestStep)
{
    const OpacityTable& opacity = *request.opacity;
    const double v = request.attenuation;
    const std::int16_t end = request.grid.markers.endMarker;
    double transmission = startingTransmission(v, depth);
    double accumulated = 0.0;
    double largest = 0.0;
    bestStep = 0;
    for (std::int32_t k = 1; k <= depth && transmission >= 0.01; ++k) {
        const int s = r.ray[k];
        if (s == end)
            break;
        if (s <= 0) {
            transmission *= v;
            continue;
        }
        const double a = transmission * opacity.opacity(s);
        double shade = 1.0;
        if (accumulated != 0.0)
            shade = gradientShade(r.ray[k + r.stride] - r.ray[k - r.stride], r.below[k] - r.above[k],
                                  r.ray[k + 1] - r.ray[k - 1]);
        const int b = opacity.base(s);
        accumulated += a * (shade * (s - b) + b);
        transmission = (transmission - a) * v;
        if (a > largest) {
            largest = a;
            bestStep = k;
        }
    }
    return accumulated;
}

void compositeColor(const RayRows& r, const RayCastRequest& request, std::int32_t depth, double color[3],
                    std::int32_t& bestStep)
{
    const OpacityTable& opacity = *request.opacity;
    const float* channel[3] = {request.colors->channel(0), request.colors->channel(1), request.colors->channel(2)};
    const double v = request.attenuation;
    const std::int16_t end = request.grid.markers.endMarker;
    double transmission = startingTransmission(v, depth);
    double applied = 1.0; // product of the attenuation factors used
    double largest = 0.0;
    color[0] = color[1] = color[2] = 0.0;
    bestStep = 0;
    for (std::int32_t k = 1; k <= depth && transmission >= 0.01; ++k) {
        const int s = r.ray[k];
        if (s == end)
            break;
        applied *= v;
        if (s <= 0) {
            transmission *= v;
            continue;
        }
        const double a = transmission * opacity.opacity(s);
        const double shade = gradientShade(r.ray[k + r.stride] - r.ray[k - r.stride], r.below[k] - r.above[k],
                                           r.ray[k + 1] - r.ray[k - 1]);
        for (int c = 0; c < 3; ++c)
            color[c] += shade * a * channel[c][s];
        transmission = (transmission - a) * v;
        if (a > largest) {
            largest = a;
            bestStep = k;
        }
    }
    if (applied != 0.0) {
        const double seen = transmission / applied;
        color[0] += seen * ColorTable::red(request.backColor);
        color[1] += seen * ColorTable::green(request.backColor);
        color[2] += seen * ColorTable::blue(request.backColor);
    }
}

std::uint8_t toByte(double value)
{
    // NaN and negative amounts (negative opacities) give 0.
    if (!(value > 0.0))
        return 0;
    return static_cast<std::uint8_t>(std::min(value, 255.0));
}

std::int16_t toSample(double value)
{
    if (!(value > -32768.0))
        return -32768;
    return static_cast<std::int16_t>(std::min(value, 32767.0));
}

} // namespace

bool VolumeRayCaster::renderRows(const VolumeView& volume, const RayCastRequest& request, std::int32_t rowBegin,
                                 std::int32_t rowEnd)
{
    const std::int32_t width = request.grid.width;
    const std::int32_t height = request.grid.height;
    const std::int32_t depth = request.grid.depth;
    rowBegin = std::max(0, rowBegin);
    rowEnd = std::min(height, rowEnd);
    if (rowBegin >= rowEnd || width <= 0)
        return true;
    const SlabResampler resampler(volume, request.grid);
    const std::int64_t rowSamples = resampler.rowSamples();
    std::vector<std::int16_t> grid;
    try {
        grid.resize(static_cast<std::size_t>(rowSamples * 3));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // Ring of three grid rows: row r lives in slot (r + 1) % 3.
    const auto slot = [&](std::int32_t row) { return grid.data() + rowSamples * ((row + 1) % 3); };
    resampler.resampleRow(rowBegin - 1, slot(rowBegin - 1));
    resampler.resampleRow(rowBegin, slot(rowBegin));
    const std::int64_t stride = resampler.raySamples();
    const std::int64_t plane = std::int64_t{width} * height;
    for (std::int32_t j = rowBegin; j < rowEnd; ++j) {
        resampler.resampleRow(j + 1, slot(j + 1));
        const std::int16_t* above = slot(j - 1);
        const std::int16_t* row = slot(j);
        const std::int16_t* below = slot(j + 1);
        for (std::int32_t i = 0; i < width; ++i) {
            const std::int64_t offset = stride * (i + 1);
            const RayRows rays{above + offset, row + offset, below + offset, stride};
            const std::int64_t pixel = std::int64_t{width} * j + i;
            std::int32_t bestStep = 0;
            if (request.compositing == Compositing::Grey) {
                request.grey[pixel] = toSample(compositeGrey(rays, request, depth, bestStep));
            } else {
                double color[3];
                compositeColor(rays, request, depth, color, bestStep);
                for (int c = 0; c < 3; ++c)
                    request.rgb[plane * c + pixel] = toByte(color[c]);
            }
            if (request.depthRecord != nullptr)
                DepthImageRecord::storeDepth(request.depthRecord, width, i, j, static_cast<std::uint16_t>(bestStep));
        }
    }
    return true;
}

} // namespace zvipengine
