#include "BoneSegmentation.h"

#include "ComponentStatistics.h"
#include "../imaging/SmoothingFilter.h"

#include <new>

namespace zvipengine {

BoneSegmentation::Outcome BoneSegmentation::run(const std::vector<std::int16_t>& values, const AnalysisBox& box,
                                                double sliceSpacing, std::int32_t processorCount, ByteMask& bone)
{
    const std::int32_t W = box.W, H = box.H;
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    try {
        std::vector<std::int16_t> smooth = values;
        for (std::int32_t z = 0; z < box.D; ++z)
            if (SmoothingFilter::apply(smooth.data() + plane * static_cast<std::size_t>(z), W, H, 3, 1)
                == SmoothingFilter::Outcome::NoMemory)
                return Outcome::NoMemory;
        const std::vector<std::int16_t> doubled = MaskOperations::doubleSlices(smooth, W, H, box.D);
        smooth.clear();
        const std::int32_t layers = static_cast<std::int32_t>(doubled.size() / plane);
        const AnalysisBox doubledBox{0, 0, 0, W, H, layers};
        ByteMask high(doubled.size()), low(doubled.size());
        for (std::size_t i = 0; i < doubled.size(); ++i) {
            high[i] = doubled[i] > 1123 ? 1 : 0;
            low[i] = doubled[i] > 1093 ? 1 : 0;
        }
        const StructuringElement element =
            sliceSpacing > 7.0 ? MaskOperations::square(5, 1) : MaskOperations::square(3, 3);
        if (!MaskOperations::dilate(high, doubledBox, element, processorCount))
            return Outcome::NoMemory;
        std::vector<std::int64_t> seeds;
        for (std::size_t i = 0; i < doubled.size(); ++i)
            if (high[i] && low[i])
                seeds.push_back(static_cast<std::int64_t>(i));
        high.clear();
        ByteMask reached(doubled.size());
        if (!ComponentLabelling::reach(low.data(), W, H, layers, ComponentLabelling::Connectivity::Face, seeds,
                                       reached.data()))
            return Outcome::NoMemory;
        // Components come largest first: from the first one under 16 voxels
        // on, all are dropped.
        ComponentStatistics components;
        if (!components.compute(reached.data(), W, H, layers))
            return Outcome::NoMemory;
        std::int32_t kept = components.count();
        for (std::int32_t l = 1; l <= components.count(); ++l)
            if (components.components[static_cast<std::size_t>(l)].count < 16) {
                kept = l - 1;
                break;
            }
        for (std::size_t i = 0; i < reached.size(); ++i) {
            const std::int32_t l = components.labels[i];
            reached[i] = (l > 0 && l <= kept) ? 1 : 0;
        }
        bone = MaskOperations::undoubleSlices(reached, W, H, box.D);
    } catch (const std::bad_alloc&) {
        return Outcome::NoMemory;
    }
    return Outcome::Done;
}

bool BoneSegmentation::remove(const ByteMask& bone, const AnalysisBox& box, std::int32_t processorCount,
                              ByteMask& lung)
{
    ByteMask grown = bone;
    if (!MaskOperations::dilate(grown, box, MaskOperations::square(3), processorCount))
        return false;
    for (std::size_t i = 0; i < lung.size(); ++i)
        if (grown[i])
            lung[i] = 0;
    return true;
}

} // namespace zvipengine
