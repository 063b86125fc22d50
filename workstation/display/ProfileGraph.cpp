#include "display/ProfileGraph.h"

#include "display/DecimalText.h"
#include "display/MeasurementScale.h"
#include "display/OverlayCanvas.h"

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

// Stored values are Hounsfield + 1024; the lower end of the scale never goes
// below 24 (-1000 HU).
constexpr double kStoredOffset = 1024.0;
constexpr double kLowestLower = 24.0;

constexpr std::int32_t kLeft = 50;
constexpr std::int32_t kTop = 15;
constexpr std::int32_t kBottom = 75;
constexpr double kHeight = kBottom - kTop;

} // namespace

ProfileWindow::ProfileWindow(double windowLevel, double windowWidth)
    : upper_(windowLevel + kStoredOffset + windowWidth / 2.0),
      lower_(windowLevel + kStoredOffset - windowWidth / 2.0)
{
    if (lower_ < kLowestLower)
        lower_ = kLowestLower;
}

bool ProfileWindow::drawable() const
{
    return std::isfinite(upper_) && std::isfinite(lower_) && upper_ > lower_ && std::isfinite(upper_ - lower_);
}

std::int32_t ProfileWindow::y(double storedValue) const
{
    return pixelCoordinate(kBottom - (storedValue - lower_) * kHeight / (upper_ - lower_));
}

std::int32_t profileStep(int sampleCount)
{
    if (sampleCount < 30)
        return 4;
    if (sampleCount < 100)
        return 2;
    return 1;
}

bool drawProfileGraph(OverlayCanvas& canvas, std::span<const double> samples, double windowLevel,
                      double windowWidth)
{
    const ProfileWindow window(windowLevel, windowWidth);
    // Without a window there is no scale to draw the profile against.
    if (!window.drawable() || samples.empty())
        return false;

    const int count = static_cast<int>(samples.size());
    const std::int32_t step = profileStep(count);
    const std::int32_t right = kLeft + count * step;

    canvas.setPenColor(rgbColor(0, 95, 1));
    canvas.setBrushColor(rgbColor(0, 143, 1));
    canvas.setTextColor(rgbColor(48, 255, 48));
    canvas.setTextSize(12);
    canvas.setTextAlign(24); // left, baseline
    canvas.setPenWidth(1);
    canvas.MoveTo(kLeft, kBottom);
    canvas.LineTo(right, kBottom);
    canvas.TextOut(right, kBottom, decimalText(window.lower() - kStoredOffset));
    canvas.MoveTo(kLeft, kTop);
    canvas.LineTo(right, kTop);
    canvas.TextOut(right, kTop, decimalText(window.upper() - kStoredOffset));
    canvas.MoveTo(kLeft, kTop);
    canvas.LineTo(kLeft, kBottom);

    const double maximum = std::max(window.lower(), *std::max_element(samples.begin(), samples.end()));
    const std::int32_t maximumY = window.y(maximum);
    canvas.setPenColor(rgbColor(160, 16, 16));
    canvas.setTextColor(rgbColor(255, 16, 16));
    canvas.setTextAlign(26); // right, baseline
    canvas.MoveTo(kLeft, maximumY);
    canvas.LineTo(right, maximumY);
    canvas.TextOut(kLeft, maximumY, decimalText(maximum - kStoredOffset));

    const std::int32_t zeroY = window.y(kStoredOffset);
    canvas.setPenColor(rgbColor(80, 80, 80));
    canvas.MoveTo(kLeft, zeroY);
    canvas.LineTo(right, zeroY);

    canvas.setPenColor(rgbColor(16, 255, 16));
    canvas.MoveTo(kLeft, window.y(samples[0]));
    for (int i = 1; i < count; ++i)
        canvas.LineTo(kLeft + step * i, window.y(samples[static_cast<std::size_t>(i)]));
    return true;
}

} // namespace vantor
