#include "CentralStructureRenderer.h"

#include "GradientShading.h"

#include "../imaging/SampleMasking.h"
#include "../imaging/TrilinearSample.h"
#include "../imaging/TwoThreadSplit.h"
#include "../masks/ComponentLabelling.h"
#include "../masks/Morphology.h"
#include "../masks/StructuringElement.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

namespace zvipengine {

namespace {

// 3 x 3 x 3: the middle layer full, the layers above and below the centre
// and its four in-plane neighbours.
StructuringElement centralElement()
{
    std::int16_t entries[27] = {};
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                const bool cross = x == 1 || y == 1;
                entries[(z * 3 + y) * 3 + x] = (z == 1 || cross) ? 1 : 0;
            }
    return StructuringElement::fromEntries(entries, 3, 3, 3);
}

} // namespace

bool CentralStructureRenderer::render(const VolumeView& volume, const Request& request, std::int16_t* image,
                                      std::int32_t processorCount)
{
    const std::int32_t W = request.width;
    const std::int32_t H = request.height;
    const std::int32_t D = std::max(1, request.depth);
    const std::int64_t slice = std::int64_t{W} * H;
    const std::int64_t size = slice * D;
    std::vector<std::int16_t> stack;
    std::vector<std::uint8_t> marks;
    std::vector<std::uint8_t> opened;
    try {
        stack.resize(static_cast<std::size_t>(size));
        marks.resize(static_cast<std::size_t>(size));
        opened.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }

    // 1. The stack: interpolated inside the volume, 0 elsewhere.
    const SampleLimits limits(volume);
    const DirectVoxelReader reader(volume);
    const MaskedVoxelReader<false> valueBits(volume);
    TwoThreadSplit::run(D, processorCount, 2, [&](std::int64_t kBegin, std::int64_t kEnd) {
        for (std::int64_t k = kBegin; k < kEnd; ++k) {
            const double depth = static_cast<double>(request.start) + static_cast<double>(k);
            for (std::int32_t j = 0; j < H; ++j) {
                std::int16_t* row = stack.data() + slice * k + std::int64_t{W} * j;
                for (std::int32_t i = 0; i < W; ++i) {
                    double q[3];
                    for (int a = 0; a < 3; ++a)
                        q[a] = request.view.origin[a] + i * request.view.column[a] + j * request.view.row[a] +
                               depth * request.view.depth[a];
                    if (!limits.inside(q))
                        row[i] = 0;
                    else if (request.valueBits)
                        row[i] = static_cast<std::int16_t>(valueBits.cell(q).interpolate());
                    else
                        row[i] = static_cast<std::int16_t>(reader.sample(q));
                }
            }
        }
        return true;
    });

    // 2. The structure at the centre, opened up.
    for (std::int64_t n = 0; n < size; ++n)
        marks[n] = stack[n] > request.minimum ? 1 : 0;
    const StructuringElement element = centralElement();
    if (!Morphology::apply(Morphology::Operation::Erosion, marks.data(), opened.data(), W, H, D, element, nullptr,
                           processorCount))
        return false;
    // The middle slice's central sample. Taken as half the stack size, it
    // would land on the first row of a slice whenever the depth is even.
    std::int64_t centre = (D / 2) * slice + slice / 2;
    if (H % 2 == 0)
        centre += (W + 1) / 2;
    centre = std::min(centre, size - 1);
    if (!ComponentLabelling::reach(opened.data(), W, H, D, ComponentLabelling::Connectivity::Face, {centre},
                                   marks.data()))
        return false;
    if (!Morphology::apply(Morphology::Operation::Dilation, marks.data(), opened.data(), W, H, D, element, nullptr,
                           processorCount) ||
        !Morphology::apply(Morphology::Operation::Dilation, opened.data(), marks.data(), W, H, D, element, nullptr,
                           processorCount))
        return false;
    for (std::int64_t n = 0; n < size; ++n)
        if (marks[n] == 0)
            stack[n] = 0;

    // 3. Rays through the inner pixels.
    const double low = request.minimum;
    const double high = request.maximum;
    std::fill(image, image + slice, std::int16_t{0});
    TwoThreadSplit::run(H, processorCount, 2, [&](std::int64_t jBegin, std::int64_t jEnd) {
        for (std::int64_t j = std::max<std::int64_t>(jBegin, 1); j < std::min<std::int64_t>(jEnd, H - 1); ++j)
            for (std::int32_t i = 1; i < W - 1; ++i) {
                const std::int16_t* ray = stack.data() + W * j + i;
                double transmission = 1.0;
                double accumulated = 0.0;
                for (std::int32_t k = 1; k < D - 1; ++k) {
                    const std::int16_t* at = ray + slice * k;
                    const int w = *at;
                    const double shade = gradientShade(at[1] - at[-1], at[W] - at[-W], at[slice] - at[-slice]);
                    const double brightness = w > 0 ? shade * w : 0.0;
                    double opacity = 0.0;
                    if (w >= high)
                        opacity = 1.0;
                    else if (w > low)
                        opacity = (w - low) / (high - low);
                    accumulated += transmission * opacity * brightness;
                    transmission *= (1.0 - opacity) * request.transmission;
                    if (transmission < 0.01)
                        break;
                }
                image[W * j + i] = static_cast<std::int16_t>(std::clamp(accumulated, -32768.0, 32767.0));
            }
        return true;
    });
    return true;
}

} // namespace zvipengine
