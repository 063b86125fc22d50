#include "ValueSelection.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zvipengine {

void ValueSelection::replaceOutside(std::int16_t* values, std::int64_t count, std::int32_t minimum,
                                    std::int32_t maximum, std::int16_t replacement)
{
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int32_t v = values[i];
        values[i] = (v < minimum || v > maximum) ? replacement : values[i];
    }
}

void ValueSelection::membership(const std::int32_t* labels, std::int64_t count, const std::int32_t* list,
                                std::int32_t listCount, std::uint8_t* out)
{
    // A table over the labels in use when it is small, else a sorted list.
    std::int32_t largest = -1;
    for (std::int32_t n = 0; n < listCount; ++n)
        largest = std::max(largest, list[n]);
    std::vector<std::uint8_t> table;
    if (largest >= 0 && largest < (1 << 24)) {
        try {
            table.assign(static_cast<std::size_t>(largest) + 1, 0);
        } catch (const std::bad_alloc&) {
            table.clear();
        }
    }
    if (!table.empty()) {
        for (std::int32_t n = 0; n < listCount; ++n)
            if (list[n] >= 0)
                table[static_cast<std::size_t>(list[n])] = 1;
        for (std::int64_t i = 0; i < count; ++i) {
            const std::int32_t l = labels[i];
            out[i] = (l >= 0 && l <= largest) ? table[static_cast<std::size_t>(l)] : 0;
        }
        return;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int32_t l = labels[i];
        out[i] = l >= 0 && std::find(list, list + listCount, l) != list + listCount ? 1 : 0;
    }
}

} // namespace zvipengine
