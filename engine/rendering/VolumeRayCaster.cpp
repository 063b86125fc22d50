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

// A ray and its four neighbours in the working grid, filled on demand.
struct RayRows {
    const SlabResampler* resampler;
    std::int16_t* above;
    std::int16_t* ray;
    std::int16_t* below;
    SlabResampler::RayState* aboveState;
    SlabResampler::RayState* rayState; // [-1], [0], [+1] are the row's neighbours
    SlabResampler::RayState* belowState;
    std::int64_t stride; // samples per ray

    // Sample k of the ray itself with its successor made final.
    int at(std::int32_t k) const
    {
        resampler->ensure(ray, rayState[0], k + 2);
        return ray[k];
    }
    // The central differences at step k (k + 1 of the ray is final).
    void gradient(std::int32_t k, int& gx, int& gy, int& gz) const
    {
        resampler->ensure(ray + stride, rayState[1], k + 1);
        resampler->ensure(ray - stride, rayState[-1], k + 1);
        resampler->ensure(below, *belowState, k + 1);
        resampler->ensure(above, *aboveState, k + 1);
        gx = ray[k + stride] - ray[k - stride];
        gy = below[k] - above[k];
        gz = ray[k + 1] - ray[k - 1];
    }
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
        const int s = r.at(k);
        if (s == end)
            break;
        if (s <= 0) {
            transmission *= v;
            continue;
        }
        const double a = transmission * opacity.opacity(s);
        double shade = 1.0;
        if (accumulated != 0.0) {
            int gx, gy, gz;
            r.gradient(k, gx, gy, gz);
            shade = gradientShade(gx, gy, gz);
        }
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
        const int s = r.at(k);
        if (s == end)
            break;
        applied *= v;
        if (s <= 0) {
            transmission *= v;
            continue;
        }
        const double a = transmission * opacity.opacity(s);
        int gx, gy, gz;
        r.gradient(k, gx, gy, gz);
        const double shade = gradientShade(gx, gy, gz);
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
    std::vector<SlabResampler::RayState> states;
    try {
        grid.resize(static_cast<std::size_t>(rowSamples * 3));
        states.resize(static_cast<std::size_t>(width + 2) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // Ring of three grid rows: row r lives in slot (r + 1) % 3.
    const auto slot = [&](std::int32_t row) { return grid.data() + rowSamples * ((row + 1) % 3); };
    const auto stateSlot = [&](std::int32_t row) {
        return states.data() + static_cast<std::ptrdiff_t>(width + 2) * ((row + 1) % 3);
    };
    resampler.beginRow(rowBegin - 1, slot(rowBegin - 1), stateSlot(rowBegin - 1));
    resampler.beginRow(rowBegin, slot(rowBegin), stateSlot(rowBegin));
    const std::int64_t stride = resampler.raySamples();
    const std::int64_t plane = std::int64_t{width} * height;
    for (std::int32_t j = rowBegin; j < rowEnd; ++j) {
        resampler.beginRow(j + 1, slot(j + 1), stateSlot(j + 1));
        std::int16_t* above = slot(j - 1);
        std::int16_t* row = slot(j);
        std::int16_t* below = slot(j + 1);
        for (std::int32_t i = 0; i < width; ++i) {
            const std::int64_t offset = stride * (i + 1);
            const RayRows rays{&resampler,         above + offset,        row + offset,
                               below + offset,     stateSlot(j - 1) + i + 1, stateSlot(j) + i + 1,
                               stateSlot(j + 1) + i + 1, stride};
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
