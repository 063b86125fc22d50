#pragma once

#include "display/OverlayCanvas.h"

class RazazUrirAdeder;

namespace vantor {

// The measurement drawing surface bound to an image viewer control.
class ViewerOverlayCanvas final : public OverlayCanvas {
public:
    explicit ViewerOverlayCanvas(RazazUrirAdeder& viewer) : viewer_(viewer) {}

    void Clear(std::int32_t ignored) override;
    void setPenColor(std::int32_t color) override;
    void setPenWidth(std::int32_t width) override;
    void setTextColor(std::int32_t color) override;
    void setTextSize(std::int32_t size) override;
    void setTextAlign(std::int32_t align) override;
    void setBrushColor(std::int32_t color) override;
    void MoveTo(std::int32_t x, std::int32_t y) override;
    void LineTo(std::int32_t x, std::int32_t y) override;
    void Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) override;
    void RectangleFill(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) override;
    void TextOut(std::int32_t x, std::int32_t y, const std::string& text) override;
    void RedrawImage() override;
    std::int16_t GetShortValue(float x, float y) const override;
    std::int32_t ImageWidth() const override;
    std::int32_t ImageHeight() const override;

private:
    RazazUrirAdeder& viewer_;
};

} // namespace vantor
