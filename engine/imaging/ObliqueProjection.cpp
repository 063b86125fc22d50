#include "ObliqueProjection.h"

#include "TrilinearSample.h"

#include <algorithm>
#include <cmath>

namespace zvipengine {

namespace {

// Range of depths k for which base + k * step can lie in [0, limit) on all
// three axes, widened by one step on each side against rounding; the
// per-sample test stays the judge. False when no depth can be inside.
bool depthRange(const double base[3], const double step[3], const SampleLimits& limits, double& first,
                double& last)
{
    const double limit[3] = {limits.limitX, limits.limitY, limits.limitZ};
    first = -HUGE_VAL;
    last = HUGE_VAL;
    for (int a = 0; a < 3; ++a) {
        if (step[a] == 0.0) {
            if (!(base[a] >= 0.0 && base[a] < limit[a]))
                return false;
            continue;
        }
        const double k0 = (0.0 - base[a]) / step[a];
        const double k1 = (limit[a] - base[a]) / step[a];
        first = std::max(first, std::min(k0, k1));
        last = std::min(last, std::max(k0, k1));
    }
    if (std::isnan(first) || std::isnan(last))
        return false;
    first = std::floor(first) - 1.0;
    last = std::ceil(last) + 1.0;
    return first <= last;
}

template <ProjectionKind Kind, typename Reader>
void renderRowsWith(const VolumeView& volume, const Reader& reader, const ViewSampling& view,
                    const ProjectionRequest& request, std::int32_t rowBegin, std::int32_t rowEnd,
                    std::int16_t* image)
{
    const SampleLimits limits(volume);
    const std::int64_t slabEnd = std::int64_t{request.start} + request.depth - 1;
    // Rays in tiles of 8 x 8: neighbouring rays read neighbouring voxels,
    // which stay in the cache while the tile's rays pass through them.
    constexpr std::int32_t Tile = 8;
    for (std::int32_t tileRow = rowBegin; tileRow < rowEnd; tileRow += Tile)
    for (std::int32_t tileColumn = 0; tileColumn < request.width; tileColumn += Tile)
    for (std::int32_t j = tileRow; j < std::min(rowEnd, tileRow + Tile); ++j) {
        std::int16_t* out = image + static_cast<std::ptrdiff_t>(request.width) * j;
        for (std::int32_t i = tileColumn; i < std::min(request.width, tileColumn + Tile); ++i) {
            // 64-bit so that a very fine step cannot overflow the mean's sum.
            std::int64_t value;
            if constexpr (Kind == ProjectionKind::Maximum)
                value = request.accumulate ? out[i] : 0;
            else if constexpr (Kind == ProjectionKind::Minimum)
                value = request.accumulate ? out[i] : ObliqueProjection::MinimumStart;
            else
                value = 0;
            double base[3];
            view.rayBase(i, j, base);
            double first;
            double last;
            if (depthRange(base, view.depth, limits, first, last)) {
                const auto kBegin = static_cast<std::int64_t>(
                    std::max<double>(request.start, std::min<double>(first, static_cast<double>(slabEnd) + 1.0)));
                const auto kEnd = static_cast<std::int64_t>(
                    std::min<double>(static_cast<double>(slabEnd), std::max<double>(last, request.start - 1.0)));
                bool entered = false;
                for (std::int64_t k = kBegin; k <= kEnd; ++k) {
                    const double depth = static_cast<double>(k);
                    const double q[3] = {base[0] + depth * view.depth[0], base[1] + depth * view.depth[1],
                                         base[2] + depth * view.depth[2]};
                    if (!limits.inside(q)) {
                        if (entered)
                            break;
                        continue;
                    }
                    entered = true;
                    const auto cell = reader.cell(q);
                    if constexpr (requires { cell.visible(); }) {
                        if (!cell.visible())
                            continue;
                    }
                    // The interpolated sample, + 0.5 and truncated, lies
                    // between the smallest corner and the largest corner + 1
                    // (the + 1 only for negative corners): a cell that cannot
                    // change the running extreme is not interpolated. The
                    // result is exactly that of interpolating every sample.
                    if constexpr (Kind == ProjectionKind::Maximum) {
                        const int largest = cell.largest();
                        if (largest < value || (largest == value && largest >= 0))
                            continue;
                        value = std::max<std::int64_t>(value, cell.interpolate());
                    } else if constexpr (Kind == ProjectionKind::Minimum) {
                        if (cell.smallest() >= value)
                            continue;
                        value = std::min<std::int64_t>(value, cell.interpolate());
                    } else {
                        value += cell.interpolate();
                    }
                }
            }
            if constexpr (Kind == ProjectionKind::Mean)
                value /= request.depth;
            out[i] = static_cast<std::int16_t>(value);
        }
    }
}

template <typename Reader>
void dispatchKind(const VolumeView& volume, const Reader& reader, const ViewSampling& view,
                  const ProjectionRequest& request, std::int32_t rowBegin, std::int32_t rowEnd, std::int16_t* image)
{
    switch (request.kind) {
    case ProjectionKind::Maximum:
        renderRowsWith<ProjectionKind::Maximum>(volume, reader, view, request, rowBegin, rowEnd, image);
        break;
    case ProjectionKind::Minimum:
        renderRowsWith<ProjectionKind::Minimum>(volume, reader, view, request, rowBegin, rowEnd, image);
        break;
    case ProjectionKind::Mean:
        renderRowsWith<ProjectionKind::Mean>(volume, reader, view, request, rowBegin, rowEnd, image);
        break;
    }
}

} // namespace

void ObliqueProjection::renderRows(const VolumeView& volume, const BrickVolume* bricks, const ViewSampling& view,
                                   const ProjectionRequest& request, std::int32_t rowBegin, std::int32_t rowEnd,
                                   std::int16_t* image, MaskReading reading)
{
    ProjectionRequest checked = request;
    checked.depth = std::max(1, request.depth);
    rowBegin = std::max(0, rowBegin);
    rowEnd = std::min(request.height, rowEnd);
    if (rowBegin >= rowEnd || request.width <= 0)
        return;
    if (reading == MaskReading::ValueBits)
        dispatchKind(volume, MaskedVoxelReader<false>(volume), view, checked, rowBegin, rowEnd, image);
    else if (reading == MaskReading::HonourMask)
        dispatchKind(volume, MaskedVoxelReader<true>(volume), view, checked, rowBegin, rowEnd, image);
    else if (bricks != nullptr && bricks->matches(volume))
        dispatchKind(volume, BrickVoxelReader{bricks}, view, checked, rowBegin, rowEnd, image);
    else
        dispatchKind(volume, DirectVoxelReader(volume), view, checked, rowBegin, rowEnd, image);
}

} // namespace zvipengine
