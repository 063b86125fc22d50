#include "DoubleSize.h"

#include <new>
#include <vector>

namespace zvipengine {

namespace {

struct Tap {
    std::int32_t first;
    std::int32_t second;
    double weight; // of the second
};

// Source taps of the output positions 0 .. 2n - 1 along an axis of n samples.
std::vector<Tap> tapsFor(std::int32_t n)
{
    const std::int32_t outputs = 2 * n;
    std::vector<Tap> taps(static_cast<std::size_t>(outputs));
    for (std::int32_t o = 0; o < outputs; ++o) {
        const double position = double(o) * (n - 1) / (outputs - 1);
        std::int32_t first = static_cast<std::int32_t>(position);
        if (first >= n - 1)
            taps[static_cast<std::size_t>(o)] = {n - 1, n - 1, 0.0};
        else
            taps[static_cast<std::size_t>(o)] = {first, first + 1, position - first};
    }
    return taps;
}

template <typename Sample>
bool enlarge(const Sample* source, std::int32_t width, std::int32_t height, Sample* destination)
{
    std::vector<Tap> columns, rows;
    try {
        columns = tapsFor(width);
        rows = tapsFor(height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::int64_t outputWidth = 2 * std::int64_t{width};
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const Tap& r = rows[y];
        const Sample* upper = source + std::int64_t{r.first} * width;
        const Sample* lower = source + std::int64_t{r.second} * width;
        Sample* out = destination + static_cast<std::int64_t>(y) * outputWidth;
        for (std::size_t x = 0; x < columns.size(); ++x) {
            const Tap& c = columns[x];
            const double top = upper[c.first] * (1.0 - c.weight) + upper[c.second] * c.weight;
            const double bottom = lower[c.first] * (1.0 - c.weight) + lower[c.second] * c.weight;
            out[x] = static_cast<Sample>(top * (1.0 - r.weight) + bottom * r.weight + 0.01);
        }
    }
    return true;
}

} // namespace

bool DoubleSize::enlargeGrey(const std::uint16_t* source, std::int32_t width, std::int32_t height,
                             std::uint16_t* destination)
{
    return enlarge(source, width, height, destination);
}

bool DoubleSize::enlargeColour(const std::uint8_t* source, std::int32_t width, std::int32_t height,
                               std::uint8_t* destination)
{
    const std::int64_t in = std::int64_t{width} * height;
    for (std::int64_t p = 0; p < 3; ++p)
        if (!enlarge(source + p * in, width, height, destination + p * 4 * in))
            return false;
    return true;
}

} // namespace zvipengine
