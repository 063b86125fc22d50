#include "OrthogonalProjection.h"

#include "OrthogonalReformat.h"
#include "SliceStretch.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zvipengine {

namespace {

std::int16_t startValue(ProjectionKind kind)
{
    return kind == ProjectionKind::Minimum ? static_cast<std::int16_t>(ObliqueProjection::MinimumStart) : 0;
}

// Combines `count` lines of `length` samples, `stride` apart, into `line`.
template <ProjectionKind Kind, MaskReading Reading>
void combineLines(const std::int16_t* first, std::ptrdiff_t stride, std::int32_t count, std::int32_t length,
                  std::int16_t* line, std::int64_t* sums)
{
    const SampleRead<Reading> read{startValue(Kind)};
    if constexpr (Kind == ProjectionKind::Mean) {
        std::fill(sums, sums + length, std::int64_t{0});
        for (std::int32_t n = 0; n < count; ++n) {
            const std::int16_t* in = first + stride * n;
            for (std::int32_t c = 0; c < length; ++c)
                sums[c] += read(in[c]);
        }
        for (std::int32_t c = 0; c < length; ++c)
            line[c] = static_cast<std::int16_t>(static_cast<double>(sums[c]) / count + 0.5);
    } else {
        std::fill(line, line + length, startValue(Kind));
        for (std::int32_t n = 0; n < count; ++n) {
            const std::int16_t* in = first + stride * n;
            for (std::int32_t c = 0; c < length; ++c) {
                const auto v = static_cast<std::int16_t>(read(in[c]));
                if constexpr (Kind == ProjectionKind::Maximum)
                    line[c] = std::max(line[c], v);
                else
                    line[c] = std::min(line[c], v);
            }
        }
    }
}

template <ProjectionKind Kind, MaskReading Reading>
void combineColumns(const std::int16_t* rowStart, std::int32_t first, std::int32_t count, std::int16_t& out)
{
    const SampleRead<Reading> read{startValue(Kind)};
    if constexpr (Kind == ProjectionKind::Mean) {
        std::int64_t sum = 0;
        for (std::int32_t n = 0; n < count; ++n)
            sum += read(rowStart[first + n]);
        out = static_cast<std::int16_t>(static_cast<double>(sum) / count + 0.5);
    } else {
        std::int16_t value = startValue(Kind);
        for (std::int32_t n = 0; n < count; ++n) {
            const auto v = static_cast<std::int16_t>(read(rowStart[first + n]));
            if constexpr (Kind == ProjectionKind::Maximum)
                value = std::max(value, v);
            else
                value = std::min(value, v);
        }
        out = value;
    }
}

template <ProjectionKind Kind, MaskReading Reading>
OrthogonalProjection::Outcome renderKind(const VolumeView& volume, std::int32_t width, std::int32_t height,
                                         std::int32_t axis, std::int32_t plane, std::int32_t depth,
                                         std::int16_t* image)
{
    depth = std::max(1, depth);
    const std::int64_t start = static_cast<std::int64_t>(plane) - depth / 2;
    const std::int64_t end = start + depth;
    const std::int32_t extent = axis == 0 ? volume.Z : (axis == 1 ? volume.Y : volume.X);
    const std::int32_t first = static_cast<std::int32_t>(std::clamp<std::int64_t>(start, 0, extent));
    const std::int32_t last = static_cast<std::int32_t>(std::clamp<std::int64_t>(end, 0, extent));
    const std::int32_t count = std::max(0, last - first);

    if (axis == 0) {
        if (width != volume.X || height != volume.Y)
            return OrthogonalProjection::Outcome::NotWritten;
        const std::ptrdiff_t size = volume.sliceSize();
        if (count == 0) {
            std::fill(image, image + size, startValue(Kind));
            return OrthogonalProjection::Outcome::Written;
        }
        std::vector<std::int64_t> sums;
        try {
            if (Kind == ProjectionKind::Mean)
                sums.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            return OrthogonalProjection::Outcome::NotWritten;
        }
        combineLines<Kind, Reading>(volume.slice(first), size, count, static_cast<std::int32_t>(size), image, sums.data());
        return OrthogonalProjection::Outcome::Written;
    }

    // One combined line per slice, then the stretch along the slices.
    const std::int32_t length = axis == 1 ? volume.X : volume.Y;
    std::vector<std::int16_t> lines;
    std::vector<std::int64_t> sums;
    try {
        lines.resize(static_cast<std::size_t>(length) * volume.Z);
        if (Kind == ProjectionKind::Mean)
            sums.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return OrthogonalProjection::Outcome::NotWritten;
    }
    for (std::int32_t z = 0; z < volume.Z; ++z) {
        std::int16_t* line = lines.data() + static_cast<std::ptrdiff_t>(length) * z;
        if (count == 0) {
            std::fill(line, line + length, startValue(Kind));
        } else if (axis == 1) {
            combineLines<Kind, Reading>(volume.row(first, z), volume.X, count, length, line, sums.data());
        } else {
            for (std::int32_t y = 0; y < volume.Y; ++y)
                combineColumns<Kind, Reading>(volume.row(y, z), first, count, line[y]);
        }
    }
    SliceLines view;
    view.samples = lines.data();
    view.lineStride = length;
    view.elementStride = 1;
    view.length = length;
    view.slices = volume.Z;
    SliceStretch::render(view, OrthogonalReformat::sliceRatio(volume, axis == 2), false, width, height, image);
    return OrthogonalProjection::Outcome::Written;
}

template <MaskReading Reading>
OrthogonalProjection::Outcome renderReading(ProjectionKind kind, const VolumeView& volume, std::int32_t width,
                                            std::int32_t height, std::int32_t axis, std::int32_t plane,
                                            std::int32_t depth, std::int16_t* image)
{
    switch (kind) {
    case ProjectionKind::Maximum:
        return renderKind<ProjectionKind::Maximum, Reading>(volume, width, height, axis, plane, depth, image);
    case ProjectionKind::Minimum:
        return renderKind<ProjectionKind::Minimum, Reading>(volume, width, height, axis, plane, depth, image);
    case ProjectionKind::Mean:
        return renderKind<ProjectionKind::Mean, Reading>(volume, width, height, axis, plane, depth, image);
    }
    return OrthogonalProjection::Outcome::InvalidArgument;
}

} // namespace

OrthogonalProjection::Outcome OrthogonalProjection::render(ProjectionKind kind, const VolumeView& volume,
                                                           std::int32_t width, std::int32_t height,
                                                           std::int32_t axis, std::int32_t plane,
                                                           std::int32_t depth, std::int16_t* image,
                                                           MaskReading reading)
{
    if (volume.empty() || width <= 0 || height <= 0 || image == nullptr || (axis != 0 && axis != 1 && axis != 2))
        return Outcome::InvalidArgument;
    switch (reading) {
    case MaskReading::Plain:
        return renderReading<MaskReading::Plain>(kind, volume, width, height, axis, plane, depth, image);
    case MaskReading::ValueBits:
        return renderReading<MaskReading::ValueBits>(kind, volume, width, height, axis, plane, depth, image);
    case MaskReading::HonourMask:
        return renderReading<MaskReading::HonourMask>(kind, volume, width, height, axis, plane, depth, image);
    }
    return Outcome::InvalidArgument;
}

} // namespace zvipengine
