#pragma once

#include <cstdint>

namespace vantor {

// A mouse point in the form's units (twips).
struct TwipsPoint {
    double x = 0.0;
    double y = 0.0;
};

// A point in image pixels, as the viewer's overlay calls take it.
struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Image pixel coordinate of a real value: nearest integer, halves to even;
// values beyond the overlay's reach are clamped so nothing overflows.
std::int32_t pixelCoordinate(double value);

// Turns twips on the viewer into image pixels: an x by ImageWidth / viewer
// width, a y by ImageHeight / viewer height, a length by the x factor.
class MeasurementScale {
public:
    MeasurementScale(std::int32_t imageWidth, std::int32_t imageHeight, double viewerWidthTwips,
                     double viewerHeightTwips);

    // False while the image or the viewer has no size; nothing is measured then.
    bool valid() const { return valid_; }
    double xFactor() const { return xFactor_; }
    double yFactor() const { return yFactor_; }

    double x(double twips) const { return twips * xFactor_; }
    double y(double twips) const { return twips * yFactor_; }
    double length(double twips) const { return twips * xFactor_; }
    PixelPoint pixel(TwipsPoint point) const { return {pixelCoordinate(x(point.x)), pixelCoordinate(y(point.y))}; }

private:
    double xFactor_ = 0.0;
    double yFactor_ = 0.0;
    bool valid_ = false;
};

// What the tools need to know besides the canvas: the viewer's size on the
// form, the x pixel spacing of the series and the window of the text boxes.
struct MeasurementContext {
    double viewerWidthTwips = 0.0;
    double viewerHeightTwips = 0.0;
    double xSpacing = 1.0;    // mm per image pixel (VoxelSpacing x)
    double windowLevel = 0.0; // numeric value of the WL box, Hounsfield units
    double windowWidth = 0.0; // numeric value of the WW box
};

} // namespace vantor
