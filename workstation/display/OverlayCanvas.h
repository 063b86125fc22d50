#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// Colours as the viewer's colour properties take them: 0x00BBGGRR.
constexpr std::int32_t rgbColor(int red, int green, int blue)
{
    return static_cast<std::int32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// The drawing surface the measurement tools work on: the overlay calls of the
// image viewer, in image pixels. The program binds it to the viewer
// (ViewerOverlayCanvas); tests record the calls.
class OverlayCanvas {
public:
    virtual ~OverlayCanvas() = default;

    virtual void Clear(std::int32_t ignored) = 0;
    virtual void setPenColor(std::int32_t color) = 0;
    virtual void setPenWidth(std::int32_t width) = 0;
    virtual void setTextColor(std::int32_t color) = 0;
    virtual void setTextSize(std::int32_t size) = 0;
    virtual void setTextAlign(std::int32_t align) = 0;
    virtual void setBrushColor(std::int32_t color) = 0;
    virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
    virtual void LineTo(std::int32_t x, std::int32_t y) = 0;
    virtual void Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) = 0;
    virtual void RectangleFill(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) = 0;
    virtual void TextOut(std::int32_t x, std::int32_t y, const std::string& text) = 0;
    virtual void RedrawImage() = 0;
    // The sample at an image position; -1 outside the image.
    virtual std::int16_t GetShortValue(float x, float y) const = 0;
    virtual std::int32_t ImageWidth() const = 0;
    virtual std::int32_t ImageHeight() const = 0;
};

} // namespace vantor
