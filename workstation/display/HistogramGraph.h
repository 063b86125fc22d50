#pragma once

#include <cstdint>

namespace vantor {

class MeasurementScale;
class OverlayCanvas;
struct RoiStatistics;

// Top of the bar of a bin holding count values when the largest bin holds largest.
std::int32_t histogramBarTop(std::int32_t count, std::int32_t largest);

// Draws the ROI histogram over the top-left of the image: axes, the 0 HU
// line, 256 bars, HU labels every 250, and the mean bar with "mean±deviation"
// under it on a dark box sized in screen twips.
void drawHistogramGraph(OverlayCanvas& canvas, const RoiStatistics& statistics, const MeasurementScale& scale);

} // namespace vantor
