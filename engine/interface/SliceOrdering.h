#pragma once

#include "VolumeStore.h"

#include <cstdint>

namespace zvipengine {

// Reordering of the loaded slices by their sort keys. Every slice moves with
// its whole record, image position included, so that the queries by slice
// index stay true after sorting. Slices with a negative key go behind the
// others and Z becomes the number of kept slices.
// Each method returns false only when its working memory cannot be had; the
// volume is then unchanged.
class SliceOrdering {
public:
    static bool reorder(VolumeStore& volume);
    static bool sortInitialize(VolumeStore& volume);
    static bool sortImageNumber(VolumeStore& volume);
    // Largest slice position first; SortMode n > 0 keeps the n-th slice of
    // each group sharing a position. Sets the Z spacing from the first two.
    static bool sortSlicePosition(VolumeStore& volume, std::int32_t sortMode);
    // Removes the listed slice indices behind the others; Z stays.
    static bool deleteSlices(VolumeStore& volume, std::int32_t count, const std::int32_t* indices);
};

} // namespace zvipengine
