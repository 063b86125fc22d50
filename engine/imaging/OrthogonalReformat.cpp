#include "OrthogonalReformat.h"

#include "SliceStretch.h"

#include <algorithm>
#include <cmath>

namespace zvipengine {

double OrthogonalReformat::sliceRatio(const VolumeView& volume, bool sagittal)
{
    return (sagittal ? volume.spacingY : volume.spacingX) / std::fabs(static_cast<double>(volume.spacingZ));
}

bool OrthogonalReformat::render(const VolumeView& volume, std::int32_t width, std::int32_t height,
                                std::int32_t axis, std::int32_t plane, std::int16_t* image, MaskReading reading)
{
    if (volume.empty() || width <= 0 || height <= 0)
        return false;
    if (axis == 0) {
        if (plane < 0 || plane >= volume.Z)
            return false;
        // The caller passes the slice's own size; another size is cropped
        // or padded with 0 rather than read past the slice.
        const std::int32_t columns = std::min(width, volume.X);
        for (std::int32_t y = 0; y < height; ++y) {
            std::int16_t* out = image + static_cast<std::ptrdiff_t>(width) * y;
            if (y < volume.Y) {
                const std::int16_t* in = volume.row(y, plane);
                if (reading == MaskReading::ValueBits)
                    std::transform(in, in + columns, out, [](std::int16_t v) {
                        return static_cast<std::int16_t>(static_cast<std::uint16_t>(v) & SampleBits::Value);
                    });
                else
                    std::copy(in, in + columns, out);
                std::fill(out + columns, out + width, std::int16_t{0});
            } else {
                std::fill(out, out + width, std::int16_t{0});
            }
        }
        return true;
    }
    SliceLines lines;
    lines.lineStride = volume.sliceSize();
    lines.slices = volume.Z;
    bool sagittal;
    if (axis == 1 || axis == 13) {
        if (plane < 0 || plane >= volume.Y)
            return false;
        lines.samples = volume.row(plane, 0);
        lines.elementStride = 1;
        lines.length = volume.X;
        sagittal = false;
    } else if (axis == 2 || axis == 14) {
        if (plane < 0 || plane >= volume.X)
            return false;
        lines.samples = volume.samples + plane;
        lines.elementStride = volume.X;
        lines.length = volume.Y;
        sagittal = true;
    } else {
        return false;
    }
    SliceStretch::render(lines, sliceRatio(volume, sagittal), axis >= 13, width, height, image, reading);
    return true;
}

} // namespace zvipengine
