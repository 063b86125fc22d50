#pragma once

#include <cstdint>

namespace zvipengine {

// What the engine knows of one slice index. A new volume sets every byte to
// all-ones: numbers -1, positions NaN ("not given").
struct SliceRecord {
    std::int32_t reserved;
    std::int32_t imageNumber;
    std::int32_t loadOrder; // 1 for the first slice handed over, ...
    std::int32_t sortKey;   // negative: removed by the next reorder
    double imagePosition[3];
    double slicePosition;

    bool loaded() const { return loadOrder >= 1; }
};
static_assert(sizeof(SliceRecord) == 48, "the record table is 48 bytes a record");

} // namespace zvipengine
