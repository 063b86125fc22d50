#include "SmoothingFilter.h"

#include "PaddedImage.h"
#include "TwoThreadSplit.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zvipengine {

SmoothingFilter::Outcome SmoothingFilter::apply(std::int16_t* image, std::int32_t width, std::int32_t height,
                                                std::int32_t n, std::int32_t processorCount)
{
    // 255 at most: the block sums then fit in 32 bits.
    if (n > 255 || !PaddedImage::acceptsFilterSize(n, width, height))
        return Outcome::Refused;
    PaddedImage padded;
    if (!padded.build(image, width, height, n))
        return Outcome::NoMemory;
    const double area = double(n) * n;
    const std::int64_t columns = std::int64_t{width} + n;
    const bool done = TwoThreadSplit::run(height, processorCount, 64, [&](std::int64_t begin, std::int64_t end) {
        // Column sums of the n rows under the current output row, slid down,
        // and the block sums of one output row. 32 bits hold both: at most
        // 255 * 255 samples of magnitude 32768.
        std::vector<std::int32_t> sums, blocks;
        try {
            sums.assign(static_cast<std::size_t>(columns), 0);
            blocks.resize(static_cast<std::size_t>(width));
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (std::int64_t r = begin; r < begin + n; ++r) {
            const std::int16_t* in = padded.row(r);
            for (std::int64_t c = 0; c < columns; ++c)
                sums[c] += in[c];
        }
        for (std::int64_t y = begin; y < end; ++y) {
            if (y > begin) {
                const std::int16_t* leaving = padded.row(y - 1);
                const std::int16_t* entering = padded.row(y + n - 1);
                for (std::int64_t c = 0; c < columns; ++c)
                    sums[c] += entering[c] - leaving[c];
            }
            if (n <= 16) {
                std::fill(blocks.begin(), blocks.end(), 0);
                for (std::int64_t k = 0; k < n; ++k)
                    for (std::int64_t x = 0; x < width; ++x)
                        blocks[x] += sums[x + k];
            } else {
                std::int32_t window = 0;
                for (std::int64_t c = 0; c < n; ++c)
                    window += sums[c];
                for (std::int64_t x = 0; x < width; ++x) {
                    blocks[x] = window;
                    if (x + 1 < width)
                        window += sums[x + n] - sums[x];
                }
            }
            // The quotient of two doubles truncates exactly like the integer
            // division (no sum comes within rounding of the next integer),
            // and it vectorises.
            std::int16_t* out = image + y * width;
            for (std::int64_t x = 0; x < width; ++x)
                out[x] = static_cast<std::int16_t>(static_cast<std::int32_t>(blocks[x] / area));
        }
        return true;
    });
    // The padded copy was taken before any row was written, so a half that
    // ran short of memory leaves its rows as they were.
    return done ? Outcome::Done : Outcome::NoMemory;
}

} // namespace zvipengine
