#include "SlabResampler.h"

#include "../imaging/TrilinearSample.h"

#include <algorithm>
#include <cmath>

namespace zvipengine {

namespace {

template <typename Reader>
std::int16_t sampleAt(const Reader& reader, const double q[3])
{
    const auto cell = reader.cell(q);
    if constexpr (requires { cell.visible(); }) {
        if (!cell.visible())
            return 0;
    }
    return static_cast<std::int16_t>(cell.interpolate());
}

} // namespace

SlabResampler::SlabResampler(const VolumeView& volume, const Setup& setup) : volume_(volume), setup_(setup)
{
    const std::int32_t dims[3] = {volume.X, volume.Y, volume.Z};
    for (int a = 0; a < 3; ++a) {
        lower_[a] = 0.0;
        upper_[a] = dims[a] - 1.0;
        if (setup.reading == MaskReading::HonourMask) {
            // Kept within the volume whatever the box holds; an empty box
            // (minimum above maximum) lets nothing in.
            lower_[a] = std::max(0, setup.visibleBox[2 * a]);
            upper_[a] = std::min<double>(upper_[a], setup.visibleBox[2 * a + 1]);
        }
    }
}

template <typename Reader>
void SlabResampler::parallelRay(const Reader& reader, std::int32_t i, std::int32_t j, std::int16_t* ray,
                                RayState& state) const
{
    const std::int64_t count = raySamples();
    std::fill(ray, ray + count, setup_.markers.beforeEntry);
    setup_.view.rayBase(i, j, state.base);
    const double* base = state.base;
    const double* step = setup_.view.depth;
    // Sample n lies at depth first + n; only depths whose position can be
    // inside on every axis are tested (widened by one step against
    // rounding), the test on each sample stays the judge.
    const double first = static_cast<double>(setup_.start) - 1.0;
    double from = 0.0;
    double to = static_cast<double>(count - 1);
    for (int a = 0; a < 3 && from <= to; ++a) {
        if (step[a] == 0.0) {
            if (!(base[a] >= lower_[a] && base[a] < upper_[a]))
                to = -1.0;
            continue;
        }
        const double k0 = (lower_[a] - base[a]) / step[a] - first;
        const double k1 = (upper_[a] - base[a]) / step[a] - first;
        from = std::max(from, std::floor(std::min(k0, k1)) - 1.0);
        to = std::min(to, std::ceil(std::max(k0, k1)) + 1.0);
    }
    state.filled = count;
    if (from <= to) { // also false for NaN
        const auto nBegin = static_cast<std::int64_t>(from);
        state.last = static_cast<std::int64_t>(to);
        // Up to the entry at once: whether the ray enters at all decides
        // its second sample.
        for (std::int64_t n = nBegin; n <= state.last; ++n) {
            const double k = first + static_cast<double>(n);
            const double q[3] = {base[0] + k * step[0], base[1] + k * step[1], base[2] + k * step[2]};
            if (inside(q)) {
                ray[n] = sampleAt(reader, q);
                state.filled = n + 1;
                return;
            }
        }
    }
    ray[1] = setup_.markers.endMarker;
}

template <typename Reader>
void SlabResampler::extendWith(const Reader& reader, std::int16_t* ray, RayState& state, std::int64_t count) const
{
    // The ray has entered; samples after its end stay at 0.
    const std::int64_t total = raySamples();
    const double first = static_cast<double>(setup_.start) - 1.0;
    const double* base = state.base;
    const double* step = setup_.view.depth;
    count = std::min(count, total);
    for (std::int64_t n = state.filled; n < count; ++n) {
        bool in = false;
        double q[3] = {0, 0, 0};
        if (n <= state.last) {
            const double k = first + static_cast<double>(n);
            q[0] = base[0] + k * step[0];
            q[1] = base[1] + k * step[1];
            q[2] = base[2] + k * step[2];
            in = inside(q);
        }
        if (!in) {
            ray[n] = setup_.markers.endMarker;
            state.filled = total;
            return;
        }
        ray[n] = sampleAt(reader, q);
    }
    state.filled = std::max(state.filled, count);
}

void SlabResampler::extend(std::int16_t* ray, RayState& state, std::int64_t count) const
{
    switch (setup_.reading) {
    case MaskReading::Plain:
        extendWith(DirectVoxelReader(volume_), ray, state, count);
        break;
    case MaskReading::ValueBits:
        extendWith(MaskedVoxelReader<false>(volume_), ray, state, count);
        break;
    case MaskReading::HonourMask:
        extendWith(MaskedVoxelReader<true>(volume_), ray, state, count);
        break;
    }
}

template <typename Reader>
void SlabResampler::perspectiveRay(const Reader& reader, std::int32_t i, std::int32_t j, std::int16_t* ray) const
{
    const std::int64_t count = raySamples();
    std::fill(ray, ray + count, setup_.markers.beforeEntry);
    const double t = setup_.fanCentre;
    const ViewSampling& v = setup_.view;
    bool entered = false;
    for (std::int64_t e = 0; e < count; ++e) {
        const double h = 0.02 + 0.002 * static_cast<double>(e) * setup_.fanGrowth;
        const double x = t + h * (i - t);
        const double y = t + h * (j - t);
        const double z = static_cast<double>(e) - 1.0;
        double q[3];
        for (int a = 0; a < 3; ++a)
            q[a] = v.origin[a] + x * v.column[a] + y * v.row[a] + z * v.depth[a];
        if (inside(q)) {
            entered = true;
            ray[e] = sampleAt(reader, q);
        } else if (entered) {
            ray[e] = setup_.markers.endMarker;
            std::fill(ray + e + 1, ray + count, std::int16_t{0});
            return;
        }
    }
    if (!entered)
        ray[1] = setup_.markers.endMarker;
}

template <typename Reader>
void SlabResampler::beginRowWith(const Reader& reader, std::int32_t j, std::int16_t* grid, RayState* states) const
{
    const std::int64_t stride = raySamples();
    for (std::int32_t i = -1; i <= setup_.width; ++i) {
        std::int16_t* ray = grid + stride * (i + 1);
        RayState& state = states[i + 1];
        if (setup_.geometry == RayGeometry::Parallel) {
            parallelRay(reader, i, j, ray, state);
        } else {
            perspectiveRay(reader, i, j, ray);
            state.filled = stride;
        }
    }
}

void SlabResampler::beginRow(std::int32_t j, std::int16_t* grid, RayState* states) const
{
    switch (setup_.reading) {
    case MaskReading::Plain:
        beginRowWith(DirectVoxelReader(volume_), j, grid, states);
        break;
    case MaskReading::ValueBits:
        beginRowWith(MaskedVoxelReader<false>(volume_), j, grid, states);
        break;
    case MaskReading::HonourMask:
        beginRowWith(MaskedVoxelReader<true>(volume_), j, grid, states);
        break;
    }
}

} // namespace zvipengine
