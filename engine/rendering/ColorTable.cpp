#include "ColorTable.h"

#include "OpacityTable.h"

#include <new>

namespace zvipengine {

bool ColorTable::build(std::int32_t count, const std::int16_t* positions, const std::int32_t* colors)
{
    if (count < 1 || positions == nullptr || colors == nullptr)
        return false;
    try {
        std::vector<float> table(static_cast<std::size_t>(3) * OpacityTable::Size);
        std::vector<double> values(static_cast<std::size_t>(count));
        for (int c = 0; c < 3; ++c) {
            for (std::int32_t n = 0; n < count; ++n)
                values[n] = c == 0 ? red(colors[n]) : c == 1 ? green(colors[n]) : blue(colors[n]);
            OpacityTable::interpolate(count, positions, values.data(),
                                      table.data() + static_cast<std::size_t>(c) * OpacityTable::Size);
        }
        table_.swap(table);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace zvipengine
