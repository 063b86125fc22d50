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
bool closeLung(const ByteMask& lung, const AnalysisBox& box, std::int32_t pad, bool repeatFirst, bool repeatLast,
               const StructuringElement& ball, std::int32_t processorCount, ByteMask& closed)
{
    const std::size_t plane = static_cast<std::size_t>(box.W) * box.H;
    const AnalysisBox padded{0, 0, 0, box.W, box.H, box.D + 2 * pad};
    ByteMask work(plane * static_cast<std::size_t>(padded.D), 0);
    std::memcpy(work.data() + plane * static_cast<std::size_t>(pad), lung.data(), lung.size());
    // At the working box's ends the lung may go on beyond the scan: the end
    // slices repeat into the padding there.
    for (std::int32_t k = 0; k < pad; ++k) {
        if (repeatFirst)
            std::memcpy(work.data() + plane * static_cast<std::size_t>(k), lung.data(), plane);
        if (repeatLast)
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
        ComponentStatistics components;
        for (std::uint8_t l = 1; l <= 2; ++l) {
            // The lung's own box, 3 voxels wider in x and y for the 7 x 7
            // closing and the ring around the added parts: a closing never
            // leaves the bounding box of what it closes.
            std::int32_t lo[3] = {W, H, D}, hi[3] = {-1, -1, -1};
            for (std::int32_t z = 0; z < D; ++z)
                for (std::int32_t y = 0; y < H; ++y)
                    for (std::int32_t x = 0; x < W; ++x)
                        if (sides[plane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * W
                                  + static_cast<std::size_t>(x)]
                            == l) {
                            const std::int32_t p[3] = {x, y, z};
                            for (int k = 0; k < 3; ++k) {
                                lo[k] = std::min(lo[k], p[k]);
                                hi[k] = std::max(hi[k], p[k]);
                            }
                        }
            if (hi[0] < 0)
                continue;
            const AnalysisBox sub{std::max(0, lo[0] - 3), std::max(0, lo[1] - 3), lo[2],
                                  std::min(W - 1, hi[0] + 3) - std::max(0, lo[0] - 3) + 1,
                                  std::min(H - 1, hi[1] + 3) - std::max(0, lo[1] - 3) + 1, hi[2] - lo[2] + 1};
            const std::int32_t w = sub.W, h = sub.H, d = sub.D;
            const std::size_t subPlane = static_cast<std::size_t>(w) * h;
            const std::size_t subCount = subPlane * static_cast<std::size_t>(d);
            const AnalysisBox local{0, 0, 0, w, h, d};
            ByteMask one(subCount), closed, difference(subCount);
            auto whole = [&](std::int32_t x, std::int32_t y, std::int32_t z) {
                return plane * static_cast<std::size_t>(z + sub.z0) + static_cast<std::size_t>(y + sub.y0) * W
                    + static_cast<std::size_t>(x + sub.x0);
            };
            for (std::int32_t z = 0; z < d; ++z)
                for (std::int32_t y = 0; y < h; ++y)
                    for (std::int32_t x = 0; x < w; ++x)
                        one[subPlane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * w
                            + static_cast<std::size_t>(x)] = sides[whole(x, y, z)] == l ? 1 : 0;
            if (!closeLung(one, local, depth, sub.z0 == 0, sub.z0 + d == D, ball, processorCount, closed))
                return Outcome::NoMemory;
            for (std::size_t i = 0; i < subCount; ++i)
                difference[i] = (closed[i] && !one[i]) ? 1 : 0;
            if (!components.compute(difference.data(), w, h, d))
                return Outcome::NoMemory;
            const std::int32_t n = std::min(components.count(), 254);
            // Per component: ring voxels outside the closed lung (A) and in
            // the lung before closing; central voxels.
            std::vector<std::int64_t> outside(static_cast<std::size_t>(n) + 1, 0);
            std::vector<std::int64_t> inside(static_cast<std::size_t>(n) + 1, 0);
            std::vector<std::uint8_t> central(static_cast<std::size_t>(n) + 1, 0);
            const std::int32_t* labels = components.labels.data();
            for (std::int32_t z = 0; z < d; ++z)
                for (std::int32_t y = 0; y < h; ++y)
                    for (std::int32_t x = 0; x < w; ++x) {
                        const std::size_t i = subPlane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * w
                            + static_cast<std::size_t>(x);
                        const std::int32_t own = labels[i];
                        if (own > 0) {
                            const std::int32_t bx = x + sub.x0, by = y + sub.y0, bz = z + sub.z0;
                            if (own <= n && bx > W / 4 && bx < 3 * W / 4 && by > H / 3 && by < 2 * H / 3
                                && bz > D / 3 && bz < 2 * D / 3)
                                central[static_cast<std::size_t>(own)] = 1;
                            continue;
                        }
                        std::int32_t seen[4];
                        int seenCount = 0;
                        const std::int32_t near[4] = {x > 0 ? labels[i - 1] : 0, x + 1 < w ? labels[i + 1] : 0,
                                                      y > 0 ? labels[i - static_cast<std::size_t>(w)] : 0,
                                                      y + 1 < h ? labels[i + static_cast<std::size_t>(w)] : 0};
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
            for (std::size_t i = 0; i < subCount; ++i) {
                const std::int32_t c = labels[i];
                one[i] = (one[i] || (c > 0 && c <= n && fill[static_cast<std::size_t>(c)])) ? 1 : 0;
            }
            if (!MaskOperations::dilate(one, local, square7, processorCount)
                || !MaskOperations::erode(one, local, square7, processorCount))
                return Outcome::NoMemory;
            for (std::int32_t z = 0; z < d; ++z)
                for (std::int32_t y = 0; y < h; ++y)
                    for (std::int32_t x = 0; x < w; ++x)
                        if (one[subPlane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * w
                                + static_cast<std::size_t>(x)])
                            result[whole(x, y, z)] = 1;
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
