#pragma once

#include <cstdint>

namespace zvipengine {

// Small whole-image steps shared by the region growing and the analyses
// built on the masks.
class ValueSelection {
public:
    // Every element outside [minimum, maximum] becomes `replacement`.
    static void replaceOutside(std::int16_t* values, std::int64_t count, std::int32_t minimum, std::int32_t maximum,
                               std::int16_t replacement);
    // out[i] = 1 where labels[i] is one of the `listCount` labels of `list`,
    // else 0. Labels below 0 are never members.
    static void membership(const std::int32_t* labels, std::int64_t count, const std::int32_t* list,
                           std::int32_t listCount, std::uint8_t* out);
};

} // namespace zvipengine
