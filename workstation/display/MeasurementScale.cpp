#include "display/MeasurementScale.h"

#include "display/NumericText.h"

#include <cmath>

namespace vantor {

std::int32_t pixelCoordinate(double value)
{
    // Far beyond any image, yet safe to add to and to scale on screen.
    constexpr double reach = 1 << 24;
    if (std::isnan(value))
        return 0;
    if (value > reach)
        value = reach;
    if (value < -reach)
        value = -reach;
    return static_cast<std::int32_t>(roundHalfEven(value));
}

MeasurementScale::MeasurementScale(std::int32_t imageWidth, std::int32_t imageHeight, double viewerWidthTwips,
                                   double viewerHeightTwips)
{
    if (imageWidth <= 0 || imageHeight <= 0 || !(viewerWidthTwips > 0.0) || !(viewerHeightTwips > 0.0))
        return;
    xFactor_ = imageWidth / viewerWidthTwips;
    yFactor_ = imageHeight / viewerHeightTwips;
    valid_ = std::isfinite(xFactor_) && std::isfinite(yFactor_);
}

} // namespace vantor
