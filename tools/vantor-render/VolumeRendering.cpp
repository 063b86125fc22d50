#include "VolumeRendering.h"

#include <ZVIPEngine/VazAZUrorav.h>

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

constexpr std::int16_t stored(int hounsfield) { return static_cast<std::int16_t>(hounsfield + 1024); }

// 8-bit grey of 16-bit values: `low` and below black, `high` and above white.
std::vector<std::uint8_t> windowed(const std::vector<std::int16_t>& values, double low, double high)
{
    std::vector<std::uint8_t> out(values.size());
    const double scale = high > low ? 255.0 / (high - low) : 0.0;
    for (std::size_t i = 0; i < values.size(); ++i)
        out[i] = static_cast<std::uint8_t>(std::clamp((values[i] - low) * scale, 0.0, 255.0));
    return out;
}

// Shaded renderings have no fixed scale: the lit pixels are stretched from
// their darkest to their brightest percent, the background stays black.
std::vector<std::uint8_t> autoScaled(const std::vector<std::int16_t>& values)
{
    std::vector<std::int16_t> lit;
    for (std::int16_t v : values)
        if (v > 0)
            lit.push_back(v);
    if (lit.empty())
        return std::vector<std::uint8_t>(values.size(), 0);
    const auto at = [&lit](std::size_t index) {
        std::nth_element(lit.begin(), lit.begin() + static_cast<std::ptrdiff_t>(index), lit.end());
        return static_cast<double>(lit[index]);
    };
    const double high = at(lit.size() - 1 - lit.size() / 100);
    const double low = std::min(at(lit.size() / 100), high - 1.0);
    std::vector<std::uint8_t> out = windowed(values, low, high);
    for (std::size_t i = 0; i < values.size(); ++i)
        out[i] = values[i] > 0 ? std::max<std::uint8_t>(out[i], 1) : 0;
    return out;
}

std::string failure(const char* member, const VazAZUrorav& engine)
{
    return std::string(member) + " failed (ErrorNumber " + std::to_string(engine.ErrorNumber()) + ")";
}

} // namespace

bool renderVolume(VazAZUrorav& engine, const RenderOptions& options, std::vector<std::uint8_t>& pixels,
                  int& channels, std::string& error)
{
    const int W = options.width, H = options.height;
    float base[16], turn[16], view[16];
    engine.GetMatrixDefaultCoronal(base);
    engine.GetMatrixRotate(turn, 0.0F, 0.0F, 0.0F, options.rotation[0], options.rotation[1], options.rotation[2],
                           options.rotation[3]);
    engine.MathMatrix(base, turn, view); // the turn first, in view millimetres

    const double extent[3] = {engine.Xdims() * std::fabs(engine.Xspacing()), engine.Ydims() * std::fabs(engine.Yspacing()),
                              engine.Zdims() * std::fabs(engine.Zspacing())};
    const double largest = std::max({extent[0], extent[1], extent[2]});
    const double diagonal = std::sqrt(extent[0] * extent[0] + extent[1] * extent[1] + extent[2] * extent[2]);
    const float pixel = static_cast<float>(largest / std::min(W, H));
    const std::int32_t depth = static_cast<std::int32_t>(std::ceil(diagonal / pixel)) + 2;
    std::vector<std::int16_t> grey(static_cast<std::size_t>(W) * H, 0);
    engine.setErrorNumber(0);
    channels = 1;

    switch (options.mode) {
    case RenderMode::Grey: {
        const std::int16_t positions[2] = {stored(100), stored(400)};
        const float opacities[2] = {0.0F, 0.9F};
        if (!engine.GetImageVolumeRenderNMatrix(grey.data(), W, H, pixel, 0, depth, 2, positions, opacities, 1.0F,
                                                1.0F, view)) {
            error = failure("GetImageVolumeRenderNMatrix", engine);
            return false;
        }
        pixels = autoScaled(grey);
        return true;
    }
    case RenderMode::Colour: {
        const std::int16_t positions[4] = {stored(-400), stored(-200), stored(150), stored(300)};
        const float opacities[4] = {0.0F, 0.05F, 0.05F, 0.9F};
        const std::int16_t colourPositions[2] = {stored(-200), stored(300)};
        const std::int32_t colours[2] = {0x004070C0, 0x00E0F0F0}; // 0x00BBGGRR: skin, then bone
        std::vector<std::uint8_t> planes(3 * grey.size(), 0);
        if (!engine.GetImageVRCNMatrix(planes.data(), W, H, pixel, 0, depth, 4, positions, opacities, 2,
                                       colourPositions, colours, 1.0F, 1.0F, view)) {
            error = failure("GetImageVRCNMatrix", engine);
            return false;
        }
        pixels.assign(planes.size(), 0);
        for (std::size_t i = 0; i < grey.size(); ++i)
            for (std::size_t c = 0; c < 3; ++c)
                pixels[3 * i + c] = planes[c * grey.size() + i];
        channels = 3;
        return true;
    }
    case RenderMode::Mip:
        if (!engine.GetImageMIPMatrix(grey.data(), W, H, pixel, 0, depth, view)) {
            error = failure("GetImageMIPMatrix", engine);
            return false;
        }
        pixels = windowed(grey, stored(-1000), stored(1000));
        return true;
    case RenderMode::Endoscope: {
        // The camera stands in front of the volume, in the air, and looks in.
        float back[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, static_cast<float>(-0.6 * diagonal), 1};
        float camera[16];
        engine.MathMatrix(view, back, camera);
        const std::int16_t positions[2] = {stored(-600), stored(-200)};
        const float opacities[2] = {0.0F, 0.8F};
        if (!engine.GetImageVREndoscopeNMatrix(grey.data(), W, H, pixel, 0.0F, depth, 0.0F, 2, positions,
                                               opacities, 1.0F, camera)) {
            error = failure("GetImageVREndoscopeNMatrix", engine);
            return false;
        }
        pixels = autoScaled(grey);
        return true;
    }
    }
    return false;
}

} // namespace vantor
