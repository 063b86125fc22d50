#include "OpacityTable.h"

#include <new>

namespace zvipengine {

void OpacityTable::interpolate(std::int32_t count, const std::int16_t* positions, const double* values,
                               float* table)
{
    std::int32_t n = 0;
    for (std::int32_t s = 0; s < Size; ++s) {
        if (s < positions[0]) {
            table[s] = static_cast<float>(values[0]);
            continue;
        }
        while (n + 1 < count && positions[n + 1] <= s)
            ++n;
        if (n + 1 >= count) {
            table[s] = static_cast<float>(values[count - 1]);
            continue;
        }
        // positions[n] <= s < positions[n + 1], so the span is positive.
        const double span = static_cast<double>(positions[n + 1]) - positions[n];
        const double t = (s - positions[n]) / span;
        table[s] = static_cast<float>(values[n] + t * (values[n + 1] - values[n]));
    }
}

bool OpacityTable::build(std::int32_t count, const std::int16_t* positions, const float* values)
{
    if (count < 1 || positions == nullptr || values == nullptr)
        return false;
    try {
        std::vector<double> widened(values, values + count);
        std::vector<float> table(Size);
        interpolate(count, positions, widened.data(), table.data());
        table_.swap(table);
    } catch (const std::bad_alloc&) {
        return false;
    }
    firstPosition_ = positions[0];
    return true;
}

bool OpacityTable::buildRamp(std::int16_t minimum, std::int16_t maximum)
{
    const std::int16_t positions[2] = {minimum, maximum};
    const float values[2] = {0.0f, 1.0f};
    return build(2, positions, values);
}

} // namespace zvipengine
