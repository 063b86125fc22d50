#include "LungThreshold.h"

#include "ComponentStatistics.h"

#include <algorithm>
#include <new>

namespace zvipengine {

LungThreshold::Outcome LungThreshold::run(const std::vector<std::int16_t>& values, const AnalysisBox& box,
                                          std::int32_t volumeWidth, ByteMask& lung)
{
    const std::int32_t W = box.W, H = box.H, D = box.D;
    const std::size_t total = static_cast<std::size_t>(box.voxels());
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    ByteMask air, candidate;
    try {
        air.resize(total);
        candidate.resize(total);
        lung.assign(total, 0);
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    for (std::size_t i = 0; i < total; ++i) {
        air[i] = values[i] < 224 ? 1 : 0;
        candidate[i] = values[i] < 624 ? 1 : 0;
    }
    ComponentStatistics components;
    if (!components.compute(air.data(), W, H, D))
        return Outcome::NoMemory;
    const std::int32_t* labels = components.labels.data();
    const std::int32_t corners[4] = {labels[0], labels[W - 1], labels[plane - 1],
                                     labels[static_cast<std::size_t>(W) * (H - 1)]};
    auto isCorner = [&](std::int32_t l) { return std::find(corners, corners + 4, l) != corners + 4; };
    std::int32_t a = 0, b = 0;
    for (std::int32_t l = 1; l <= components.count() && b == 0; ++l) {
        if (isCorner(l))
            continue;
        if (a == 0)
            a = l;
        else
            b = l;
    }
    if (a == 0)
        return Outcome::Done;
    const ComponentStatistics::Component& ca = components.components[static_cast<std::size_t>(a)];
    const bool spansMiddle = ca.minimum[0] <= volumeWidth / 4 - box.x0 && ca.maximum[0] >= 3 * volumeWidth / 4 - box.x0;
    const std::int32_t keepB = spansMiddle ? 0 : b;
    for (std::size_t i = 0; i < total; ++i)
        air[i] = (labels[i] == a || (keepB != 0 && labels[i] == keepB)) ? 1 : 0;

    std::vector<std::int32_t> sliceLabels;
    std::vector<std::uint8_t> keep;
    try {
        sliceLabels.resize(plane);
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    for (std::int32_t z = 0; z < D; ++z) {
        const std::size_t offset = plane * static_cast<std::size_t>(z);
        const std::int32_t n =
            ComponentLabelling::label(candidate.data() + offset, W, H, 1, ComponentLabelling::Connectivity::Face,
                                      sliceLabels.data());
        if (n < 0)
            return Outcome::NoMemory;
        keep.assign(static_cast<std::size_t>(n) + 1, 0);
        for (std::size_t i = 0; i < plane; ++i)
            if (air[offset + i] && sliceLabels[i] > 0)
                keep[static_cast<std::size_t>(sliceLabels[i])] = 1;
        if (n >= 128)
            keep[static_cast<std::size_t>(n)] = 0;
        for (std::size_t i = 0; i < plane; ++i)
            lung[offset + i] = keep[static_cast<std::size_t>(sliceLabels[i])];
    }
    return Outcome::Done;
}

} // namespace zvipengine
