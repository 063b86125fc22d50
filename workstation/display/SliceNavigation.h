#pragma once

#include "display/SeriesState.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vantor {

// Paging through the loaded series: pure rules on the series state, so the
// window only binds inputs to them.

// Slice index moved by step (-1 back, +1 forward), kept within 0 .. count - 1.
std::int16_t pagedSliceIndex(std::int16_t sliceIndex, int step, int sliceCount);

// A wheel step: delta >= 1 pages back, delta < 0 forward (delta 0 stays).
std::int16_t wheelSliceIndex(std::int16_t sliceIndex, int delta, int sliceCount);

// The wheel delta of a middle-button drag move: -(vertical movement in twips) / 80, rounded.
int middleDragDelta(int verticalMovementTwips);

// Interpolated paging: moves InterpPos by 3 in-plane pixels (forward = back
// towards the top) and derives SliceIndex; returns the plane offset from the
// volume centre, in in-plane pixels, for the oblique axial image.
int interpolatedStep(SeriesState& series, bool forward);

// The file of each engine slice, in the engine's order. sliceKey(k) gives the
// image number and slice position the engine keeps for its slice k; the first
// registered slice not yet taken with both equal is the one it came from.
// A slice matching none gets an empty path.
std::vector<std::string> sliceFilesInEngineOrder(
    const std::vector<RegisteredSlice>& registered, int sliceCount,
    const std::function<std::pair<std::int32_t, double>(int slice)>& sliceKey);

// Row of the slice line on the localiser.
int localiserLineRow(const SeriesState& series, int sliceCount);

} // namespace vantor
