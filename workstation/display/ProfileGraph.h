#pragma once

#include <cstdint>
#include <span>

namespace vantor {

class OverlayCanvas;

// The vertical scale of the profile graph, from the window of the text boxes,
// in stored values (Hounsfield + 1024): the upper end at y 15, the lower end
// (never below 24) at y 75.
class ProfileWindow {
public:
    ProfileWindow(double windowLevel, double windowWidth);

    double upper() const { return upper_; }
    double lower() const { return lower_; }
    // False when the upper end is not above the lower end (a width of 0 or
    // less, or an upper end at or below 24): no scale exists then.
    bool drawable() const;
    // y of a stored value; only meaningful when drawable().
    std::int32_t y(double storedValue) const;

private:
    double upper_ = 0.0;
    double lower_ = 0.0;
};

// Horizontal distance between profile samples: 4, 2 or 1 pixels by count.
std::int32_t profileStep(int sampleCount);

// Draws the profile graph over the top-left of the image: frame with the
// window ends, the maximum line, the 0 HU line and the profile polyline.
// Draws nothing and returns false when the window gives no scale.
bool drawProfileGraph(OverlayCanvas& canvas, std::span<const double> samples, double windowLevel,
                      double windowWidth);

} // namespace vantor
