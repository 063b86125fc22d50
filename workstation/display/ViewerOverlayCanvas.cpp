#include "display/ViewerOverlayCanvas.h"

#include <ZVImgViewer/RazazUrirAdeder.h>

namespace vantor {

void ViewerOverlayCanvas::Clear(std::int32_t ignored) { viewer_.Clear(ignored); }
void ViewerOverlayCanvas::setPenColor(std::int32_t color) { viewer_.setPenColor(color); }
void ViewerOverlayCanvas::setPenWidth(std::int32_t width) { viewer_.setPenWidth(width); }
void ViewerOverlayCanvas::setTextColor(std::int32_t color) { viewer_.setTextColor(color); }
void ViewerOverlayCanvas::setTextSize(std::int32_t size) { viewer_.setTextSize(size); }
void ViewerOverlayCanvas::setTextAlign(std::int32_t align) { viewer_.setTextAlign(align); }
void ViewerOverlayCanvas::setBrushColor(std::int32_t color) { viewer_.setBrushColor(color); }
void ViewerOverlayCanvas::MoveTo(std::int32_t x, std::int32_t y) { viewer_.MoveTo(x, y); }
void ViewerOverlayCanvas::LineTo(std::int32_t x, std::int32_t y) { viewer_.LineTo(x, y); }
void ViewerOverlayCanvas::Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2)
{
    viewer_.Ellipse(X1, Y1, X2, Y2);
}
void ViewerOverlayCanvas::RectangleFill(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2)
{
    viewer_.RectangleFill(X1, Y1, X2, Y2);
}
void ViewerOverlayCanvas::TextOut(std::int32_t x, std::int32_t y, const std::string& text)
{
    viewer_.TextOut(x, y, text);
}
void ViewerOverlayCanvas::RedrawImage() { viewer_.RedrawImage(); }
std::int16_t ViewerOverlayCanvas::GetShortValue(float x, float y) const { return viewer_.GetShortValue(x, y); }
std::int32_t ViewerOverlayCanvas::ImageWidth() const { return viewer_.ImageWidth(); }
std::int32_t ViewerOverlayCanvas::ImageHeight() const { return viewer_.ImageHeight(); }

} // namespace vantor
