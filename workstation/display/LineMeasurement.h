#pragma once

#include "display/MeasurementScale.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

class OverlayCanvas;

// Longest profile the line tool samples; its table holds one more.
inline constexpr int kMaximumProfileSamples = 1024;

struct PixelSegment {
    PixelPoint from;
    PixelPoint to;
};

// What the line tool draws for a drag from p0 to p, in image pixels.
struct LineGeometry {
    // The line, the tick across its start, the tick across its end (each tick
    // 140 twips to either side, perpendicular to the line).
    std::array<PixelSegment, 3> segments{};
    PixelPoint textPosition;      // the press point
    std::int32_t textAlign = 0;   // keeps the text off the line
    double lengthPixels = 0.0;    // the line's length in image pixels
    std::string lengthText;       // " 12.3mm"
};

// Text alignment flags by the line's direction (2 right, 8 bottom).
std::int32_t lineTextAlign(double dxTwips, double dyTwips);

// Nothing for a drag of length 0 or an unusable scale.
std::optional<LineGeometry> lineGeometry(const MeasurementScale& scale, TwipsPoint p0, TwipsPoint p,
                                         double xSpacing);

// Number of profile samples along a line of lengthPixels image pixels: two
// per pixel plus one, or one per pixel plus one when that would exceed 1024;
// never more than 1024.
int profileSampleCount(double lengthPixels);

// Reads the profile: sample i at p0 + (i / n)(p - p0), in image pixels.
void readProfile(const OverlayCanvas& canvas, const MeasurementScale& scale, TwipsPoint p0, TwipsPoint p,
                 int sampleCount, std::vector<double>& samples);

// The "Line" tool: line with ticks, its length in mm and the profile graph.
// Returns false, leaving the overlay as it was, for a zero-length drag.
// samples is working storage kept by the caller between moves.
bool drawLineMeasurement(OverlayCanvas& canvas, const MeasurementContext& context, TwipsPoint p0, TwipsPoint p,
                         std::vector<double>& samples);

} // namespace vantor
