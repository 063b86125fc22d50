#pragma once

#include "display/SeriesState.h"

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

// Row of the slice line on the localiser.
int localiserLineRow(const SeriesState& series, int sliceCount);

} // namespace vantor
