#include "AirwaySegmentation.h"

#include "ComponentStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace zvipengine {

namespace {

struct Seed {
    std::int32_t minimum[2] = {0, 0}, maximum[2] = {0, 0};
};

// The seed tube among the six layers of slices 2..4 and their means with the
// slice below; false when none qualifies.
bool findSeed(const std::vector<std::int16_t>& values, const AnalysisBox& box, double spacingX,
              std::int32_t processorCount, Seed& seed, bool& noMemory)
{
    const std::int32_t W = box.W, H = box.H, D = box.D;
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    if (D < 2 || W < 3 || H < 3)
        return false;
    ByteMask layers(plane * 6);
    AnalysisBox stack{0, 0, 0, W, H, 6};
    for (int k = 0; k < 6; ++k) {
        const std::int32_t z = std::min(2 + k / 2, D - 1);
        const std::int32_t below = std::min(z + 1, D - 1);
        const std::int16_t* a = values.data() + plane * static_cast<std::size_t>(z);
        const std::int16_t* b = values.data() + plane * static_cast<std::size_t>(below);
        std::uint8_t* out = layers.data() + plane * static_cast<std::size_t>(k);
        for (std::size_t i = 0; i < plane; ++i) {
            const std::int32_t v = (k % 2 == 0) ? a[i] : (a[i] + b[i]) / 2;
            out[i] = v < 224 ? 1 : 0;
        }
    }
    if (!MaskOperations::erode(layers, stack, MaskOperations::square(3), processorCount)) {
        noMemory = true;
        return false;
    }
    ComponentStatistics components;
    if (!components.compute(layers.data(), W, H, 6)) {
        noMemory = true;
        return false;
    }
    std::vector<std::uint8_t> atCorner(static_cast<std::size_t>(components.count()) + 1, 0);
    const std::size_t corners[4] = {static_cast<std::size_t>(W) + 1, static_cast<std::size_t>(W) + W - 2,
                                    static_cast<std::size_t>(H - 2) * W + W - 2,
                                    static_cast<std::size_t>(H - 2) * W + 1};
    for (int k = 0; k < 6; ++k)
        for (std::size_t c : corners)
            atCorner[static_cast<std::size_t>(components.labels[plane * static_cast<std::size_t>(k) + c])] = 1;
    const double low = 8.0 / spacingX, wide = 30.0 / spacingX, deep = 50.0 / spacingX;
    bool found = false;
    std::int32_t takenOffset = 0;
    for (std::int32_t l = 1; l <= components.count(); ++l) {
        const ComponentStatistics::Component& c = components.components[static_cast<std::size_t>(l)];
        if (atCorner[static_cast<std::size_t>(l)] || c.count == 0)
            continue;
        const double ex = c.extent(0), ey = c.extent(1);
        if (!(ex > low && ex < wide && ey > low && ey < deep && c.extent(2) > 1))
            continue;
        const std::int32_t dx = std::abs(c.centroid[0] - W / 2);
        const std::int32_t distance = dx + std::abs(c.centroid[1] - H / 2);
        const bool take = found ? distance < 2 * takenOffset : distance < W / 2 + H / 2;
        if (!take)
            continue;
        found = true;
        takenOffset = dx;
        seed.minimum[0] = c.minimum[0];
        seed.minimum[1] = c.minimum[1];
        seed.maximum[0] = c.maximum[0];
        seed.maximum[1] = c.maximum[1];
    }
    return found;
}

} // namespace

AirwaySegmentation::Outcome AirwaySegmentation::run(const std::vector<std::int16_t>& values, const AnalysisBox& box,
                                                    double spacingX, std::int32_t processorCount, ByteMask& airways)
{
    if (!(spacingX > 0.0))
        spacingX = 1.0;
    Seed seed;
    bool noMemory = false;
    try {
        if (!findSeed(values, box, spacingX, processorCount, seed, noMemory))
            return noMemory ? Outcome::NoMemory : Outcome::NotFound;
        const std::int32_t W = box.W, H = box.H;
        const std::size_t plane = static_cast<std::size_t>(W) * H;
        const std::vector<std::int16_t> doubled = MaskOperations::doubleSlices(values, W, H, box.D);
        const std::int32_t layers = static_cast<std::int32_t>(doubled.size() / plane);
        const AnalysisBox doubledBox{0, 0, 0, W, H, layers};
        // The seed lay on slices 2..4; its middle slice is layer 6.
        const std::int32_t seedLayer = std::min(6, layers - 1);
        const double limit = 80.0 / spacingX;
        ByteMask mask(doubled.size());
        ComponentStatistics components;
        std::size_t previousCount = SIZE_MAX;
        for (std::int32_t t = 100; t >= 10; t -= 10) {
            std::size_t count = 0;
            for (std::size_t i = 0; i < doubled.size(); ++i) {
                mask[i] = doubled[i] < t ? 1 : 0;
                count += mask[i];
            }
            // The masks are nested: the same count is the same mask, which
            // has already leaked.
            if (count == previousCount)
                continue;
            previousCount = count;
            if (!MaskOperations::erode(mask, doubledBox, MaskOperations::square(3), processorCount))
                return Outcome::NoMemory;
            if (!components.compute(mask.data(), W, H, layers))
                return Outcome::NoMemory;
            std::int32_t chosen = 0;
            for (std::int32_t y = seed.minimum[1]; y <= seed.maximum[1]; ++y)
                for (std::int32_t x = seed.minimum[0]; x <= seed.maximum[0]; ++x) {
                    const std::int32_t l =
                        components.labels[plane * static_cast<std::size_t>(seedLayer) + static_cast<std::size_t>(y) * W
                                          + static_cast<std::size_t>(x)];
                    if (l > 0 && (chosen == 0 || l < chosen))
                        chosen = l;
                }
            if (chosen == 0)
                return Outcome::NotFound;
            const ComponentStatistics::Component& c = components.components[static_cast<std::size_t>(chosen)];
            if (!(c.extent(0) < limit && c.extent(1) < limit))
                continue;
            for (std::size_t i = 0; i < mask.size(); ++i)
                mask[i] = components.labels[i] == chosen ? 1 : 0;
            if (!MaskOperations::dilate(mask, doubledBox, MaskOperations::square(3), processorCount))
                return Outcome::NoMemory;
            airways = MaskOperations::undoubleSlices(mask, W, H, box.D);
            return Outcome::Found;
        }
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    return Outcome::NotFound;
}

bool AirwaySegmentation::remove(const ByteMask& airways, const AnalysisBox& box, std::int32_t processorCount,
                                ByteMask& lung)
{
    ByteMask grown = airways;
    if (!MaskOperations::dilate(grown, box, MaskOperations::disk7(), processorCount))
        return false;
    for (std::size_t i = 0; i < lung.size(); ++i)
        if (grown[i])
            lung[i] = 0;
    return true;
}

} // namespace zvipengine
