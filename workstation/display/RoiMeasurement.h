#pragma once

#include "display/MeasurementChoices.h"
#include "display/MeasurementScale.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vantor {

class OverlayCanvas;

// The ROI ellipse in image pixels: centre, half-axes and the integer
// bounding box whose pixels are tested.
struct RoiEllipse {
    double centerX = 0.0;
    double centerY = 0.0;
    double a = 0.0; // half-axis along x
    double b = 0.0; // half-axis along y
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool contains(std::int32_t x, std::int32_t y) const;
};

RoiEllipse roiEllipse(const MeasurementScale& scale, RoiShape shape, TwipsPoint p0, TwipsPoint p);

// Histogram counters 0 ... 256 (value / 8, halves to even, for values 0 ... 2048);
// the graph draws bins 0 ... 255.
inline constexpr int kHistogramCounters = 257;
inline constexpr int kHistogramBins = 256;

struct RoiStatistics {
    std::size_t count = 0;
    long mean = 0;      // rounded, stored value
    long deviation = 0; // rounded, around the rounded mean
    std::array<std::int32_t, kHistogramCounters> histogram{};
    std::int32_t largestBin = 0; // largest of the drawn bins 0 ... 255
};

// Statistics of the collected (non-negative) values; nothing when empty.
std::optional<RoiStatistics> roiStatistics(std::span<const std::int16_t> values);

// Every non-negative sample of the ellipse's pixels, row by row.
void collectRoiValues(const OverlayCanvas& canvas, const RoiEllipse& ellipse, std::vector<std::int16_t>& values);

// The "ROI" tool: histogram graph, ellipse and its longer axis in mm.
// Returns false, leaving the overlay as it was, for a drag back to its press
// point or when no pixel gave a value.
// values is working storage kept by the caller between moves.
bool drawRoiMeasurement(OverlayCanvas& canvas, const MeasurementContext& context, RoiShape shape, TwipsPoint p0,
                        TwipsPoint p, std::vector<std::int16_t>& values);

} // namespace vantor
