#include "MaskOperations.h"

#include "../masks/Morphology.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zvipengine {

StructuringElement MaskOperations::square(std::int32_t n, std::int32_t depth)
{
    const std::vector<std::int16_t> entries(static_cast<std::size_t>(n) * n * depth, 1);
    return StructuringElement::fromEntries(entries.data(), n, n, depth);
}

StructuringElement MaskOperations::planeCross()
{
    const std::int16_t entries[9] = {0, 1, 0, 1, 1, 1, 0, 1, 0};
    return StructuringElement::fromEntries(entries, 3, 3, 1);
}

StructuringElement MaskOperations::disk7()
{
    const std::int16_t entries[49] = {0, 0, 1, 1, 1, 0, 0, //
                                      0, 1, 1, 1, 1, 1, 0, //
                                      1, 1, 1, 1, 1, 1, 1, //
                                      1, 1, 1, 1, 1, 1, 1, //
                                      1, 1, 1, 1, 1, 1, 1, //
                                      0, 1, 1, 1, 1, 1, 0, //
                                      0, 0, 1, 1, 1, 0, 0};
    return StructuringElement::fromEntries(entries, 7, 7, 1);
}

StructuringElement MaskOperations::square5WithoutFirst()
{
    std::int16_t entries[25];
    std::fill(entries, entries + 25, std::int16_t{1});
    entries[0] = 0;
    return StructuringElement::fromEntries(entries, 5, 5, 1);
}

namespace {

bool morph(Morphology::Operation operation, ByteMask& mask, const AnalysisBox& box,
           const StructuringElement& element, std::int32_t processorCount, const std::uint8_t* restricting)
{
    ByteMask out;
    try {
        out.resize(mask.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!Morphology::apply(operation, mask.data(), out.data(), box.W, box.H, box.D, element, restricting,
                           processorCount))
        return false;
    mask.swap(out);
    return true;
}

} // namespace

bool MaskOperations::erode(ByteMask& mask, const AnalysisBox& box, const StructuringElement& element,
                           std::int32_t processorCount, const std::uint8_t* restricting)
{
    return morph(Morphology::Operation::Erosion, mask, box, element, processorCount, restricting);
}

bool MaskOperations::dilate(ByteMask& mask, const AnalysisBox& box, const StructuringElement& element,
                            std::int32_t processorCount, const std::uint8_t* restricting)
{
    return morph(Morphology::Operation::Dilation, mask, box, element, processorCount, restricting);
}

std::vector<std::int16_t> MaskOperations::doubleSlices(const std::vector<std::int16_t>& values, std::int32_t W,
                                                       std::int32_t H, std::int32_t D)
{
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    const std::int32_t layers = std::max(1, 2 * D - 1);
    std::vector<std::int16_t> doubled(plane * static_cast<std::size_t>(layers));
    for (std::int32_t k = 0; k < D; ++k) {
        const std::int16_t* a = values.data() + plane * static_cast<std::size_t>(k);
        std::memcpy(doubled.data() + plane * static_cast<std::size_t>(2 * k), a, plane * sizeof(std::int16_t));
        if (k + 1 < D) {
            const std::int16_t* b = a + plane;
            std::int16_t* m = doubled.data() + plane * static_cast<std::size_t>(2 * k + 1);
            for (std::size_t i = 0; i < plane; ++i)
                m[i] = static_cast<std::int16_t>((a[i] + b[i]) / 2);
        }
    }
    return doubled;
}

ByteMask MaskOperations::undoubleSlices(const ByteMask& doubled, std::int32_t W, std::int32_t H, std::int32_t D)
{
    const std::size_t plane = static_cast<std::size_t>(W) * H;
    ByteMask mask(plane * static_cast<std::size_t>(D));
    for (std::int32_t k = 0; k < D; ++k)
        std::memcpy(mask.data() + plane * static_cast<std::size_t>(k),
                    doubled.data() + plane * static_cast<std::size_t>(2 * k), plane);
    return mask;
}

} // namespace zvipengine
