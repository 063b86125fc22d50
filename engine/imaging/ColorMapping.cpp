#include "ColorMapping.h"

#include "TwoThreadSplit.h"

#include <algorithm>

namespace zvipengine {

namespace {

std::uint8_t channel(std::int32_t colour, int shift)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(colour) >> shift);
}

std::uint8_t blend(std::int32_t low, std::int32_t high, int shift, double r)
{
    const double value = channel(low, shift) * (1.0 - r) + channel(high, shift) * r;
    // An unordered table can push r outside 0..1.
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

} // namespace

void ColorMapping::render(const std::int16_t* source, std::int64_t sampleCount, const Table& table,
                          std::uint8_t* planes, std::int32_t processorCount)
{
    const std::int16_t* values = table.values;
    const std::int32_t* colours = table.colours;
    const std::int32_t n = table.count;
    const bool ascending = std::is_sorted(values, values + n);
    std::uint8_t* red = planes;
    std::uint8_t* green = planes + sampleCount;
    std::uint8_t* blue = planes + 2 * sampleCount;
    TwoThreadSplit::run(sampleCount, processorCount, 1 << 18, [&](std::int64_t begin, std::int64_t end) {
        for (std::int64_t i = begin; i < end; ++i) {
            const std::int16_t v = source[i];
            // First point above v; a table out of order is searched in order.
            const std::int32_t j = ascending
                                       ? static_cast<std::int32_t>(std::upper_bound(values, values + n, v) - values)
                                       : static_cast<std::int32_t>(
                                             std::find_if(values, values + n, [v](std::int16_t s) { return v < s; }) -
                                             values);
            std::int32_t colour;
            if (j == n || j == 0) {
                colour = colours[j == n ? n - 1 : 0];
            } else {
                const double r = (double(v) - values[j - 1]) / (double(values[j]) - values[j - 1]);
                red[i] = blend(colours[j - 1], colours[j], 0, r);
                green[i] = blend(colours[j - 1], colours[j], 8, r);
                blue[i] = blend(colours[j - 1], colours[j], 16, r);
                continue;
            }
            red[i] = channel(colour, 0);
            green[i] = channel(colour, 8);
            blue[i] = channel(colour, 16);
        }
        return true;
    });
}

} // namespace zvipengine
