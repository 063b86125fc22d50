#include "SliceStretch.h"

#include <algorithm>
#include <cmath>

namespace zvipengine {

namespace {

// Slice coordinate of output line n, or false when the line lies outside.
bool sliceCoordinate(double ratio, std::int32_t n, std::int32_t extent, std::int32_t slices, std::int32_t& t,
                     double& fraction)
{
    const double e = ratio * n - ((extent - 1) * ratio - (slices - 1)) / 2.0;
    if (!(e >= 0.0) || !(e < slices - 1.0))
        return false;
    t = static_cast<std::int32_t>(e);
    fraction = e - t;
    return true;
}

template <MaskReading Reading>
std::int16_t between(std::int16_t a, std::int16_t b, double g, double f)
{
    if constexpr (Reading == MaskReading::Plain) {
        return static_cast<std::int16_t>(a * g + b * f + 0.5);
    } else {
        const auto ua = static_cast<std::uint16_t>(a);
        const auto ub = static_cast<std::uint16_t>(b);
        auto value = static_cast<std::uint16_t>((ua & SampleBits::Value) * g + (ub & SampleBits::Value) * f + 0.5);
        if constexpr (Reading == MaskReading::HonourMask)
            value = static_cast<std::uint16_t>(value | ((ua | ub) & SampleBits::Mask));
        return static_cast<std::int16_t>(value);
    }
}

template <MaskReading Reading>
void renderWith(const SliceLines& lines, double ratio, bool transposed, std::int32_t width, std::int32_t height,
                std::int16_t* image)
{
    if (!std::isfinite(ratio))
        return;
    if (!transposed) {
        const std::int32_t used = std::min(width, lines.length);
        for (std::int32_t n = 0; n < height; ++n) {
            std::int16_t* out = image + static_cast<std::ptrdiff_t>(width) * n;
            std::int32_t t;
            double f;
            if (!sliceCoordinate(ratio, n, height, lines.slices, t, f)) {
                std::fill(out, out + width, std::int16_t{0});
                continue;
            }
            const std::int16_t* a = lines.samples + lines.lineStride * t;
            const std::int16_t* b = a + lines.lineStride;
            const double g = 1.0 - f;
            const std::ptrdiff_t s = lines.elementStride;
            for (std::int32_t c = 0; c < used; ++c)
                out[c] = between<Reading>(a[c * s], b[c * s], g, f);
            std::fill(out + used, out + width, std::int16_t{0});
        }
        return;
    }
    const std::int32_t used = std::min(height, lines.length);
    for (std::int32_t n = 0; n < width; ++n) {
        std::int32_t t = 0;
        double f = 0.0;
        const bool inside = sliceCoordinate(ratio, n, width, lines.slices, t, f);
        const std::int16_t* a = inside ? lines.samples + lines.lineStride * t : nullptr;
        const std::int16_t* b = inside ? a + lines.lineStride : nullptr;
        const double g = 1.0 - f;
        for (std::int32_t c = 0; c < height; ++c) {
            std::int16_t value = 0;
            if (inside && c < used)
                value = between<Reading>(a[c * lines.elementStride], b[c * lines.elementStride], g, f);
            image[static_cast<std::ptrdiff_t>(width) * c + n] = value;
        }
    }
}

} // namespace

void SliceStretch::render(const SliceLines& lines, double ratio, bool transposed, std::int32_t width,
                          std::int32_t height, std::int16_t* image, MaskReading reading)
{
    switch (reading) {
    case MaskReading::Plain:
        renderWith<MaskReading::Plain>(lines, ratio, transposed, width, height, image);
        break;
    case MaskReading::ValueBits:
        renderWith<MaskReading::ValueBits>(lines, ratio, transposed, width, height, image);
        break;
    case MaskReading::HonourMask:
        renderWith<MaskReading::HonourMask>(lines, ratio, transposed, width, height, image);
        break;
    }
}

} // namespace zvipengine
