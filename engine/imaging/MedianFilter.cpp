#include "MedianFilter.h"

#include "PaddedImage.h"
#include "TwoThreadSplit.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace zvipengine {

namespace {

inline void order(std::int16_t& a, std::int16_t& b)
{
    const std::int16_t low = std::min(a, b);
    b = std::max(a, b);
    a = low;
}

// The 3 x 3 median by the classic 19-exchange network (branch-free, so the
// compiler keeps it in registers).
inline std::int16_t medianOfNine(std::int16_t p0, std::int16_t p1, std::int16_t p2, std::int16_t p3,
                                 std::int16_t p4, std::int16_t p5, std::int16_t p6, std::int16_t p7,
                                 std::int16_t p8)
{
    order(p1, p2); order(p4, p5); order(p7, p8);
    order(p0, p1); order(p3, p4); order(p6, p7);
    order(p1, p2); order(p4, p5); order(p7, p8);
    order(p0, p3); order(p5, p8); order(p4, p7);
    order(p3, p6); order(p1, p4); order(p2, p5);
    order(p4, p7); order(p4, p2); order(p6, p4);
    order(p4, p2);
    return p4;
}

void medianThreeRows(const PaddedImage& padded, std::int16_t* image, std::int32_t width, std::int64_t begin,
                     std::int64_t end)
{
    for (std::int64_t y = begin; y < end; ++y) {
        const std::int16_t* a = padded.row(y);
        const std::int16_t* b = padded.row(y + 1);
        const std::int16_t* c = padded.row(y + 2);
        std::int16_t* out = image + y * width;
        for (std::int64_t x = 0; x < width; ++x)
            out[x] = medianOfNine(a[x], a[x + 1], a[x + 2], b[x], b[x + 1], b[x + 2], c[x], c[x + 1], c[x + 2]);
    }
}

bool medianRows(const PaddedImage& padded, std::int16_t* image, std::int32_t width, std::int32_t n,
                std::int64_t begin, std::int64_t end)
{
    const std::size_t area = static_cast<std::size_t>(n) * n;
    // Position area/2 counted from the largest is this index from the smallest.
    const std::size_t rank = area - 1 - area / 2;
    std::vector<std::int16_t> block;
    try {
        block.resize(area);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t y = begin; y < end; ++y) {
        std::int16_t* out = image + y * width;
        for (std::int64_t x = 0; x < width; ++x) {
            std::int16_t* at = block.data();
            for (std::int64_t r = 0; r < n; ++r) {
                const std::int16_t* in = padded.row(y + r) + x;
                at = std::copy(in, in + n, at);
            }
            std::nth_element(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(rank), block.end());
            out[x] = block[rank];
        }
    }
    return true;
}

} // namespace

MedianFilter::Outcome MedianFilter::apply(std::int16_t* image, std::int32_t width, std::int32_t height,
                                          std::int32_t n, std::int32_t processorCount)
{
    if (!PaddedImage::acceptsFilterSize(n, width, height))
        return Outcome::Refused;
    if (n == 1)
        return Outcome::Done;
    PaddedImage padded;
    if (!padded.build(image, width, height, n))
        return Outcome::NoMemory;
    const bool done = TwoThreadSplit::run(height, processorCount, 32, [&](std::int64_t begin, std::int64_t end) {
        if (n == 3) {
            medianThreeRows(padded, image, width, begin, end);
            return true;
        }
        return medianRows(padded, image, width, n, begin, end);
    });
    return done ? Outcome::Done : Outcome::NoMemory;
}

} // namespace zvipengine
