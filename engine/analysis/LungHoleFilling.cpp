#include "LungHoleFilling.h"

#include "ComponentStatistics.h"
#include "LungSeparation.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zvipengine {

namespace {

// Closing of one lung on a box padded by `pad` slices above and below, so
// that the ball does not erode the lung where it meets the box's ends.
bool closeLung(const ByteMask& lung, const AnalysisBox& box, std::int32_t pad, const StructuringElement& ball,
               std::int32_t processorCount, ByteMask& closed)
{
    const std::size_t plane = static_cast<std::size_t>(box.W) * box.H;
    const AnalysisBox padded{0, 0, 0, box.W, box.H, box.D + 2 * pad};
    ByteMask work(plane * static_cast<std::size_t>(padded.D), 0);
    std::memcpy(work.data() + plane * static_cast<std::size_t>(pad), lung.data(), lung.size());
    // The end slices repeat into the padding.
    for (std::int32_t k = 0; k < pad; ++k) {
        std::memcpy(work.data() + plane * static_cast<std::size_t>(k), lung.data(), plane);
        std::memcpy(work.data() + plane * static_cast<std::size_t>(pad + box.D + k),
                    lung.data() + plane * static_cast<std::size_t>(box.D - 1), plane);
    }
    if (!MaskOperations::dilate(work, padded, ball, processorCount)
        || !MaskOperations::erode(work, padded, ball, processorCount))
        return false;
    closed.assign(work.begin() + static_cast<std::ptrdiff_t>(plane * static_cast<std::size_t>(pad)),
                  work.begin() + static_cast<std::ptrdiff_t>(plane * static_cast<std::size_t>(pad + box.D)));
    return true;
}

} // namespace

LungHoleFilling::Outcome LungHoleFilling::run(ByteMask& lung, const std::vector<std::int16_t>& values,
                                              const AnalysisBox& box, double sliceSpacing,
                                              std::int32_t processorCount)
{
    const std::int32_t W = box.W, H = box.H, D = box.D;
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    try {
        ByteMask sides = lung;
        if (LungSeparation::run(sides, values, box) == LungSeparation::Outcome::NoMemory)
            return Outcome::NoMemory;
        const std::int32_t depth = sliceSpacing < 8.0 ? 5 : 3;
        const StructuringElement ball = StructuringElement::ellipsoid(5, 5, depth);
        const StructuringElement square7 = MaskOperations::square(7);
        ByteMask result(lung.size(), 0);
        ByteMask one(lung.size()), closed, difference(lung.size());
        ComponentStatistics components;
        for (std::uint8_t l = 1; l <= 2; ++l) {
            for (std::size_t i = 0; i < lung.size(); ++i)
                one[i] = sides[i] == l ? 1 : 0;
            if (std::find(one.begin(), one.end(), std::uint8_t{1}) == one.end())
                continue;
            if (!closeLung(one, box, depth, ball, processorCount, closed))
                return Outcome::NoMemory;
            for (std::size_t i = 0; i < lung.size(); ++i)
                difference[i] = (closed[i] && !one[i]) ? 1 : 0;
            if (!components.compute(difference.data(), W, H, D))
                return Outcome::NoMemory;
            const std::int32_t n = std::min(components.count(), 254);
            // Per component: ring voxels outside the closed lung (A) and in
            // the lung before closing; central voxels.
            std::vector<std::int64_t> outside(static_cast<std::size_t>(n) + 1, 0);
            std::vector<std::int64_t> inside(static_cast<std::size_t>(n) + 1, 0);
            std::vector<std::uint8_t> central(static_cast<std::size_t>(n) + 1, 0);
            const std::int32_t* labels = components.labels.data();
            for (std::int32_t z = 0; z < D; ++z)
                for (std::int32_t y = 0; y < H; ++y)
                    for (std::int32_t x = 0; x < W; ++x) {
                        const std::size_t i = plane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * W
                            + static_cast<std::size_t>(x);
                        const std::int32_t own = labels[i];
                        if (own > 0) {
                            if (own <= n && x > W / 4 && x < 3 * W / 4 && y > H / 3 && y < 2 * H / 3 && z > D / 3
                                && z < 2 * D / 3)
                                central[static_cast<std::size_t>(own)] = 1;
                            continue;
                        }
                        std::int32_t seen[4];
                        int seenCount = 0;
                        const std::int32_t near[4] = {x > 0 ? labels[i - 1] : 0, x + 1 < W ? labels[i + 1] : 0,
                                                      y > 0 ? labels[i - static_cast<std::size_t>(W)] : 0,
                                                      y + 1 < H ? labels[i + static_cast<std::size_t>(W)] : 0};
                        for (std::int32_t m : near) {
                            if (m <= 0 || m > n || std::find(seen, seen + seenCount, m) != seen + seenCount)
                                continue;
                            seen[seenCount++] = m;
                            if (!closed[i])
                                ++outside[static_cast<std::size_t>(m)];
                            else if (one[i])
                                ++inside[static_cast<std::size_t>(m)];
                        }
                    }
            std::vector<std::uint8_t> fill(static_cast<std::size_t>(n) + 1, 0);
            for (std::int32_t c = 1; c <= n; ++c) {
                const std::int64_t a = outside[static_cast<std::size_t>(c)];
                const std::int64_t t = a + inside[static_cast<std::size_t>(c)];
                const bool opens = a > 0 && 2 * t < 5 * a; // T / A < 2.5
                fill[static_cast<std::size_t>(c)] = (central[static_cast<std::size_t>(c)] || opens) ? 0 : 1;
            }
            for (std::size_t i = 0; i < lung.size(); ++i) {
                const std::int32_t c = labels[i];
                one[i] = (one[i] || (c > 0 && c <= n && fill[static_cast<std::size_t>(c)])) ? 1 : 0;
            }
            if (!MaskOperations::dilate(one, box, square7, processorCount)
                || !MaskOperations::erode(one, box, square7, processorCount))
                return Outcome::NoMemory;
            for (std::size_t i = 0; i < lung.size(); ++i)
                if (one[i])
                    result[i] = 1;
        }
        // The outside: the complement's component at the first voxel.
        ByteMask complement(lung.size()), outside(lung.size());
        for (std::size_t i = 0; i < lung.size(); ++i)
            complement[i] = result[i] ? 0 : 1;
        // The box corner is outside the body; should lung reach it, the
        // outside starts from the non-lung voxels of the first slice's rim.
        std::vector<std::int64_t> seeds;
        if (complement[0]) {
            seeds.push_back(0);
        } else {
            for (std::int32_t x = 0; x < W; ++x) {
                if (complement[static_cast<std::size_t>(x)])
                    seeds.push_back(x);
                if (complement[static_cast<std::size_t>(H - 1) * W + static_cast<std::size_t>(x)])
                    seeds.push_back(static_cast<std::int64_t>(H - 1) * W + x);
            }
        }
        if (!ComponentLabelling::reach(complement.data(), W, H, D, ComponentLabelling::Connectivity::Face, seeds,
                                       outside.data()))
            return Outcome::NoMemory;
        std::vector<std::int32_t> sliceLabels(plane);
        for (std::int32_t z = D - 2; z >= 0; --z) {
            std::uint8_t* slice = outside.data() + plane * static_cast<std::size_t>(z);
            const std::uint8_t* below = slice + plane;
            const std::int16_t* v = values.data() + plane * static_cast<std::size_t>(z);
            if (ComponentLabelling::label(slice, W, H, 1, ComponentLabelling::Connectivity::Face, sliceLabels.data())
                < 0)
                return Outcome::NoMemory;
            const std::int32_t corner = sliceLabels[0];
            for (std::size_t i = 0; i < plane; ++i)
                if (slice[i] && sliceLabels[i] != corner && !below[i] && v[i] > 524)
                    slice[i] = 0;
        }
        for (std::size_t i = 0; i < lung.size(); ++i)
            lung[i] = outside[i] ? 0 : 1;
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    return Outcome::Done;
}

} // namespace zvipengine
