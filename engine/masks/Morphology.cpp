#include "Morphology.h"

#include "SliceRanges.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zvipengine {

namespace {

// next[x] = the first position >= x whose value equals `wanted`, or length
// when there is none (position length lies outside and reads as 0).
void nextPositions(const std::uint8_t* row, std::int32_t length, std::uint8_t wanted, std::int32_t* next)
{
    std::int32_t found = length;
    for (std::int32_t x = length - 1; x >= 0; --x) {
        if ((row[x] != 0) == (wanted != 0))
            found = x;
        next[x] = found;
    }
}

constexpr std::int32_t ShortRun = 4;

// target[x] = min (erosion) or max (dilation) of itself and source[x + d],
// positions outside the row reading 0. Values are 0 or 1.
template <Morphology::Operation Op>
void combineShifted(const std::uint8_t* source, std::uint8_t* target, std::int32_t X, std::int32_t d)
{
    const std::int32_t begin = std::clamp(-d, 0, X);
    const std::int32_t end = std::clamp(X - d, 0, X);
    if constexpr (Op == Morphology::Operation::Erosion) {
        std::fill(target, target + begin, std::uint8_t{0});
        for (std::int32_t x = begin; x < end; ++x)
            target[x] = static_cast<std::uint8_t>(target[x] & (source[x + d] != 0 ? 1 : 0));
        std::fill(target + std::max(begin, end), target + X, std::uint8_t{0});
    } else {
        for (std::int32_t x = begin; x < end; ++x)
            target[x] = static_cast<std::uint8_t>(target[x] | (source[x + d] != 0 ? 1 : 0));
    }
}

template <Morphology::Operation Op>
void applyRows(const std::uint8_t* in, std::uint8_t* out, std::int32_t X, std::int32_t Y, std::int32_t Z,
               const StructuringElement& element, const std::uint8_t* restricting, std::int32_t zBegin,
               std::int32_t zEnd, std::int32_t* next)
{
    const std::ptrdiff_t slice = static_cast<std::ptrdiff_t>(X) * Y;
    for (std::int32_t z = zBegin; z < zEnd; ++z)
        for (std::int32_t y = 0; y < Y; ++y) {
            std::uint8_t* target = out + slice * z + static_cast<std::ptrdiff_t>(X) * y;
            // Erosion starts from 1 and clears, dilation from 0 and sets.
            std::fill(target, target + X, static_cast<std::uint8_t>(Op == Morphology::Operation::Erosion ? 1 : 0));
            for (const StructuringElement::Run& run : element.runs()) {
                const std::int32_t sy = y + run.dy;
                const std::int32_t sz = z + run.dz;
                if (sy < 0 || sz < 0 || sy >= Y || sz >= Z) {
                    if constexpr (Op == Morphology::Operation::Erosion) {
                        std::fill(target, target + X, std::uint8_t{0});
                        break;
                    }
                    continue;
                }
                const std::uint8_t* source = in + slice * sz + static_cast<std::ptrdiff_t>(X) * sy;
                if (run.dxLast - run.dxFirst < ShortRun) {
                    // A short run is combined position by position, each a
                    // shifted copy of the source row: straight loops the
                    // compiler vectorises (the 7-voxel cross is all short).
                    for (std::int32_t d = run.dxFirst; d <= run.dxLast; ++d)
                        combineShifted<Op>(source, target, X, d);
                    continue;
                }
                if constexpr (Op == Morphology::Operation::Erosion) {
                    // x keeps 1 when source[x + first .. x + last] holds no 0.
                    nextPositions(source, X, 0, next);
                    for (std::int32_t x = 0; x < X; ++x) {
                        const std::int64_t lo = std::int64_t{x} + run.dxFirst;
                        const std::int64_t hi = std::int64_t{x} + run.dxLast;
                        const bool whole = lo >= 0 && hi < X && next[lo] > hi;
                        target[x] = static_cast<std::uint8_t>(target[x] & (whole ? 1 : 0));
                    }
                } else {
                    nextPositions(source, X, 1, next);
                    for (std::int32_t x = 0; x < X; ++x) {
                        const std::int64_t lo = std::max<std::int64_t>(0, std::int64_t{x} + run.dxFirst);
                        const std::int64_t hi = std::min<std::int64_t>(X - 1, std::int64_t{x} + run.dxLast);
                        const bool any = lo <= hi && next[lo] <= hi;
                        target[x] = static_cast<std::uint8_t>(target[x] | (any ? 1 : 0));
                    }
                }
            }
            if (restricting != nullptr) {
                const std::ptrdiff_t offset = slice * z + static_cast<std::ptrdiff_t>(X) * y;
                for (std::int32_t x = 0; x < X; ++x)
                    if (restricting[offset + x] == 0)
                        target[x] = in[offset + x] != 0 ? 1 : 0;
            }
        }
}

} // namespace

bool Morphology::apply(Operation operation, const std::uint8_t* in, std::uint8_t* out, std::int32_t X,
                       std::int32_t Y, std::int32_t Z, const StructuringElement& element,
                       const std::uint8_t* restricting, std::int32_t processorCount)
{
    if (X <= 0 || Y <= 0 || Z <= 0)
        return true;
    std::vector<std::int32_t> scratch;
    try {
        scratch.resize(static_cast<std::size_t>(X) * 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
    SliceRanges::run(Z, std::int64_t{X} * Y * static_cast<std::int64_t>(std::max<std::size_t>(1, element.runs().size())),
                     processorCount, [&](std::int32_t zBegin, std::int32_t zEnd, int worker) {
                         std::int32_t* next = scratch.data() + static_cast<std::ptrdiff_t>(X) * worker;
                         if (operation == Operation::Erosion)
                             applyRows<Operation::Erosion>(in, out, X, Y, Z, element, restricting, zBegin, zEnd, next);
                         else
                             applyRows<Operation::Dilation>(in, out, X, Y, Z, element, restricting, zBegin, zEnd,
                                                            next);
                     });
    return true;
}

} // namespace zvipengine
