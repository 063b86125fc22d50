#include "HeartLiverSegmentation.h"

#include "ComponentStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace zvipengine {

namespace {

constexpr std::int32_t Reduction = 3;

// 3 x 3 majority of a byte mask, slice by slice.
ByteMask majority(const ByteMask& in, std::int32_t W, std::int32_t H, std::int32_t D)
{
    ByteMask out(in.size(), 0);
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    for (std::int32_t z = 0; z < D; ++z)
        for (std::int32_t y = 0; y < H; ++y)
            for (std::int32_t x = 0; x < W; ++x) {
                int ones = 0, all = 0;
                for (std::int32_t dy = -1; dy <= 1; ++dy)
                    for (std::int32_t dx = -1; dx <= 1; ++dx) {
                        const std::int32_t xx = x + dx, yy = y + dy;
                        if (xx < 0 || yy < 0 || xx >= W || yy >= H)
                            continue;
                        ++all;
                        ones += in[plane * static_cast<std::size_t>(z) + static_cast<std::size_t>(yy) * W
                                   + static_cast<std::size_t>(xx)];
                    }
                out[plane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * W
                    + static_cast<std::size_t>(x)] = 2 * ones > all ? 1 : 0;
            }
    return out;
}

} // namespace

HeartLiverSegmentation::Outcome HeartLiverSegmentation::run(const std::vector<std::int16_t>& values, std::int32_t X,
                                                            std::int32_t Y, std::int32_t Z, const double spacing[3],
                                                            const AnalysisBox& bodyBox, const ByteMask& lung,
                                                            std::int32_t processorCount, StructureMap& map)
{
    try {
        // The body box enlarged by 4 in x and y, then reduced to a third.
        AnalysisBox box = bodyBox;
        box.x0 = std::max(0, bodyBox.x0 - 4);
        box.y0 = std::max(0, bodyBox.y0 - 4);
        box.W = std::min(X, bodyBox.x0 + bodyBox.W + 4) - box.x0;
        box.H = std::min(Y, bodyBox.y0 + bodyBox.H + 4) - box.y0;
        const std::int32_t W = box.W / Reduction, H = box.H / Reduction, D = box.D;
        if (W < 3 || H < 3 || D < 1 || box.z0 + D > Z)
            return Outcome::Done;
        const std::size_t plane = static_cast<std::size_t>(W) * H;
        const std::size_t total = plane * static_cast<std::size_t>(D);
        const AnalysisBox small{0, 0, 0, W, H, D};
        std::vector<std::int16_t> reduced(total);
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < H; ++y)
                for (std::int32_t x = 0; x < W; ++x) {
                    std::int32_t sum = 0;
                    for (std::int32_t dy = 0; dy < Reduction; ++dy) {
                        const std::int16_t* row = values.data()
                            + (static_cast<std::int64_t>(z + box.z0) * Y + box.y0 + y * Reduction + dy) * X + box.x0
                            + x * Reduction;
                        sum += row[0] + row[1] + row[2];
                    }
                    reduced[plane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * W
                            + static_cast<std::size_t>(x)] = static_cast<std::int16_t>(sum / 9);
                }
        // Smooth tissue: small Sobel gradient of the 3 x 3 mean.
        ByteMask smoothTissue(total, 0);
        for (std::int32_t z = 0; z < D; ++z) {
            const std::int16_t* s = reduced.data() + plane * static_cast<std::size_t>(z);
            std::vector<std::int32_t> mean(plane, 0);
            for (std::int32_t y = 1; y + 1 < H; ++y)
                for (std::int32_t x = 1; x + 1 < W; ++x) {
                    std::int32_t sum = 0;
                    for (std::int32_t dy = -1; dy <= 1; ++dy)
                        for (std::int32_t dx = -1; dx <= 1; ++dx)
                            sum += s[static_cast<std::size_t>(y + dy) * W + static_cast<std::size_t>(x + dx)];
                    mean[static_cast<std::size_t>(y) * W + static_cast<std::size_t>(x)] = sum / 9;
                }
            for (std::int32_t y = 2; y + 2 < H; ++y)
                for (std::int32_t x = 2; x + 2 < W; ++x) {
                    auto m = [&](std::int32_t dx, std::int32_t dy) {
                        return mean[static_cast<std::size_t>(y + dy) * W + static_cast<std::size_t>(x + dx)];
                    };
                    const std::int32_t gx = (m(1, -1) + 2 * m(1, 0) + m(1, 1)) - (m(-1, -1) + 2 * m(-1, 0) + m(-1, 1));
                    const std::int32_t gy = (m(-1, 1) + 2 * m(0, 1) + m(1, 1)) - (m(-1, -1) + 2 * m(0, -1) + m(1, -1));
                    const double g = std::sqrt(static_cast<double>(gx) * gx + static_cast<double>(gy) * gy) / 4.0;
                    smoothTissue[plane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * W
                                 + static_cast<std::size_t>(x)] = g < 80.0 ? 1 : 0;
                }
        }
        smoothTissue = majority(smoothTissue, W, H, D);
        if (!MaskOperations::dilate(smoothTissue, small, MaskOperations::square(3), processorCount))
            return Outcome::NoMemory;
        ByteMask a(total), b(total);
        for (std::size_t i = 0; i < total; ++i) {
            a[i] = (smoothTissue[i] && reduced[i] >= 1024 && reduced[i] <= 1144) ? 1 : 0;
            b[i] = (smoothTissue[i] && reduced[i] >= 1004 && reduced[i] <= 1124) ? 1 : 0;
        }
        ByteMask cores = a;
        if (!MaskOperations::erode(cores, small, MaskOperations::square(5, 3), processorCount))
            return Outcome::NoMemory;
        ComponentStatistics components;
        if (!components.compute(cores.data(), W, H, D))
            return Outcome::NoMemory;
        std::int32_t liverSeed = 0, heartSeed = 0;
        for (std::int32_t l = 1; l <= std::min(9, components.count()); ++l) {
            const ComponentStatistics::Component& c = components.components[static_cast<std::size_t>(l)];
            if (liverSeed == 0 && c.centroid[0] < W / 2)
                liverSeed = l;
            if (heartSeed == 0 && c.centroid[0] >= W / 3 && c.centroid[0] <= 3 * W / 4 && c.centroid[1] < 3 * H / 4)
                heartSeed = l;
        }
        ByteMask liver(total, 0);
        if (liverSeed != 0) {
            std::int64_t sum = 0, count = 0;
            for (std::size_t i = 0; i < total; ++i)
                if (components.labels[i] == liverSeed) {
                    sum += reduced[i];
                    ++count;
                }
            const std::int32_t mean = static_cast<std::int32_t>(sum / std::max<std::int64_t>(1, count));
            for (std::size_t i = 0; i < total; ++i)
                liver[i] = (b[i] && std::abs(reduced[i] - mean) <= 10) ? 1 : 0;
            if (!MaskOperations::erode(liver, small, MaskOperations::square(5), processorCount))
                return Outcome::NoMemory;
            ComponentStatistics parts;
            if (!parts.compute(liver.data(), W, H, D))
                return Outcome::NoMemory;
            for (std::size_t i = 0; i < total; ++i)
                liver[i] = parts.labels[i] == 1 ? 1 : 0;
            if (!MaskOperations::dilate(liver, small, MaskOperations::square(5), processorCount, b.data())
                || !MaskOperations::dilate(liver, small, MaskOperations::square(9), processorCount, b.data())
                || !MaskOperations::dilate(liver, small, MaskOperations::square(5, 3), processorCount, b.data()))
                return Outcome::NoMemory;
        }
        ByteMask heart(total, 0);
        if (heartSeed != 0) {
            std::int32_t low = INT32_MAX, high = INT32_MIN;
            for (std::size_t i = 0; i < total; ++i)
                if (components.labels[i] == heartSeed) {
                    low = std::min<std::int32_t>(low, reduced[i]);
                    high = std::max<std::int32_t>(high, reduced[i]);
                }
            ByteMask range(total);
            for (std::size_t i = 0; i < total; ++i)
                range[i] = (reduced[i] >= low - 10 && reduced[i] <= high + 15) ? 1 : 0;
            for (std::size_t i = 0; i < total; ++i)
                heart[i] = (range[i] && !liver[i]) ? 1 : 0;
            if (!MaskOperations::erode(heart, small, MaskOperations::square(3), processorCount))
                return Outcome::NoMemory;
            ComponentStatistics parts;
            if (!parts.compute(heart.data(), W, H, D))
                return Outcome::NoMemory;
            // The lungs' extent in the reduced box.
            std::int32_t lo[3] = {INT32_MAX, INT32_MAX, INT32_MAX}, hi[3] = {-1, -1, -1};
            for (std::int32_t z = 0; z < bodyBox.D; ++z)
                for (std::int32_t y = 0; y < bodyBox.H; ++y)
                    for (std::int32_t x = 0; x < bodyBox.W; ++x)
                        if (lung[(static_cast<std::size_t>(z) * bodyBox.H + static_cast<std::size_t>(y)) * bodyBox.W
                                 + static_cast<std::size_t>(x)]) {
                            const std::int32_t p[3] = {(x + bodyBox.x0 - box.x0) / Reduction,
                                                       (y + bodyBox.y0 - box.y0) / Reduction, z};
                            for (int k = 0; k < 3; ++k) {
                                lo[k] = std::min(lo[k], p[k]);
                                hi[k] = std::max(hi[k], p[k]);
                            }
                        }
            std::int32_t chosen = 0;
            if (hi[0] >= 0) {
                const std::int32_t middle[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
                std::int64_t best = INT64_MAX;
                for (std::int32_t l = 1; l <= std::min(9, parts.count()); ++l) {
                    const ComponentStatistics::Component& c = parts.components[static_cast<std::size_t>(l)];
                    // Volume measure: voxels of the full resolution.
                    const bool tall = c.extent(2) * spacing[2] > 50.0;
                    const bool startsAboveBase = c.minimum[2] < hi[2];
                    const bool large = c.count * Reduction * Reduction > 1000;
                    if (!tall || !startsAboveBase || !large)
                        continue;
                    const std::int64_t distance = std::abs(c.centroid[0] - middle[0])
                        + std::abs(c.centroid[1] - middle[1]) + 3LL * std::abs(c.centroid[2] - middle[2]);
                    if (distance < best) {
                        best = distance;
                        chosen = l;
                    }
                }
            }
            for (std::size_t i = 0; i < total; ++i)
                heart[i] = (chosen != 0 && parts.labels[i] == chosen) ? 1 : 0;
            if (chosen != 0
                && (!MaskOperations::dilate(heart, small, MaskOperations::square(5, 3), processorCount, range.data())
                    || !MaskOperations::dilate(heart, small, MaskOperations::square(3, 3), processorCount)))
                return Outcome::NoMemory;
        }
        // Codes on the reduced grid, then back to full size, majority-filtered.
        ByteMask codes(total, 0);
        for (std::size_t i = 0; i < total; ++i)
            codes[i] = liver[i] ? 2 : (heart[i] && reduced[i] >= 1024) ? 1 : 0;
        const AnalysisBox full{box.x0, box.y0, box.z0, W * Reduction, H * Reduction, D};
        const std::size_t fullPlane = static_cast<std::size_t>(full.W) * full.H;
        ByteMask heartFull(fullPlane * static_cast<std::size_t>(D)), liverFull(heartFull.size());
        for (std::int32_t z = 0; z < D; ++z)
            for (std::int32_t y = 0; y < full.H; ++y)
                for (std::int32_t x = 0; x < full.W; ++x) {
                    const std::uint8_t c = codes[plane * static_cast<std::size_t>(z)
                                                 + static_cast<std::size_t>(y / Reduction) * W
                                                 + static_cast<std::size_t>(x / Reduction)];
                    const std::size_t i = fullPlane * static_cast<std::size_t>(z) + static_cast<std::size_t>(y) * full.W
                        + static_cast<std::size_t>(x);
                    heartFull[i] = c == 1;
                    liverFull[i] = c == 2;
                }
        heartFull = majority(heartFull, full.W, full.H, D);
        liverFull = majority(liverFull, full.W, full.H, D);
        map.write(heartFull, full, StructureMap::Heart);
        map.write(liverFull, full, StructureMap::Liver);
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    return Outcome::Done;
}

} // namespace zvipengine
