#include "ZVImgViewer/RazazUrirAdeder.h"

#include "ZVImgViewer/DisplayBitmap.h"
#include "ZVImgViewer/DisplayBitmapBuilder.h"
#include "ZVImgViewer/ImageSamples.h"
#include "ZVImgViewer/InputCodes.h"
#include "ZVImgViewer/OverlayAttributes.h"
#include "ZVImgViewer/OverlayList.h"
#include "ZVImgViewer/OverlayPainter.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Shown before any image (for example in a form designer).
QImage placeholderPattern()
{
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int grey = ((x + 8 * y) * 4) % 256;
            pattern.setPixel(x, y, qRgb(grey, grey, grey));
        }
    return pattern;
}

constexpr char versionText[] = "1, 1, 5, 713";

} // namespace

struct RazazUrirAdeder::State {
    ImageSamples samples;
    DisplayBitmapBuilder builder;
    OverlayList overlays;
    OverlayAttributes attributes;
    QImage placeholder = placeholderPattern();
    bool crossVisible = false;
    std::int32_t crossX = 0;
    std::int32_t crossY = 0;
    int wheelRemainder = 0;
};

RazazUrirAdeder::RazazUrirAdeder(QWidget* parent) : QWidget(parent), state_(std::make_unique<State>())
{
    // Every pixel is painted (picture or pattern): no background erase needed.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::WheelFocus);
}

RazazUrirAdeder::~RazazUrirAdeder() = default;

// ---- properties ----

bool RazazUrirAdeder::CrossVisible() const { return state_->crossVisible; }

void RazazUrirAdeder::setCrossVisible(bool value)
{
    state_->crossVisible = value;
    RedrawImage();
}

std::int32_t RazazUrirAdeder::WindowLevel() const { return state_->builder.windowLevel(); }
void RazazUrirAdeder::setWindowLevel(std::int32_t value) { state_->builder.setWindowLevel(value); }
std::int32_t RazazUrirAdeder::WindowWidth() const { return state_->builder.windowWidth(); }
void RazazUrirAdeder::setWindowWidth(std::int32_t value) { state_->builder.setWindowWidth(value); }
std::int32_t RazazUrirAdeder::ImageWidth() const { return state_->samples.width(); }
void RazazUrirAdeder::setImageWidth(std::int32_t value) { state_->samples.setWidth(value); }
std::int32_t RazazUrirAdeder::ImageHeight() const { return state_->samples.height(); }
void RazazUrirAdeder::setImageHeight(std::int32_t value) { state_->samples.setHeight(value); }
const void* RazazUrirAdeder::hImage() const { return state_->samples.address(); }

void RazazUrirAdeder::sethImage(const void* value)
{
    state_->samples.setAddress(value);
    state_->builder.markStale();
}

std::int32_t RazazUrirAdeder::TextColor() const { return state_->attributes.textColor; }
void RazazUrirAdeder::setTextColor(std::int32_t value) { state_->attributes.textColor = value; }
std::int32_t RazazUrirAdeder::TextSize() const { return state_->attributes.textSize; }
void RazazUrirAdeder::setTextSize(std::int32_t value) { state_->attributes.textSize = value; }
std::int32_t RazazUrirAdeder::TextAlign() const { return state_->attributes.textAlign; }
void RazazUrirAdeder::setTextAlign(std::int32_t value) { state_->attributes.textAlign = value; }
std::int32_t RazazUrirAdeder::DspResamplingMode() const { return state_->builder.resamplingMode(); }
void RazazUrirAdeder::setDspResamplingMode(std::int32_t value) { state_->builder.setResamplingMode(value); }
std::int32_t RazazUrirAdeder::BrushColor() const { return state_->attributes.brushColor; }
void RazazUrirAdeder::setBrushColor(std::int32_t value) { state_->attributes.brushColor = value; }
std::int32_t RazazUrirAdeder::TextAngle() const { return state_->attributes.textAngle; }
void RazazUrirAdeder::setTextAngle(std::int32_t value) { state_->attributes.textAngle = value; }
std::int32_t RazazUrirAdeder::PenStyle() const { return state_->attributes.penStyle; }
void RazazUrirAdeder::setPenStyle(std::int32_t value) { state_->attributes.penStyle = value; }
std::string RazazUrirAdeder::FontFaceName() const { return state_->attributes.fontFaceName; }
void RazazUrirAdeder::setFontFaceName(const std::string& value) { state_->attributes.fontFaceName = value; }
std::int16_t RazazUrirAdeder::ImageType() const { return state_->builder.imageType(); }
void RazazUrirAdeder::setImageType(std::int16_t value) { state_->builder.setImageType(value); }
void RazazUrirAdeder::setPenColor(std::int32_t value) { state_->attributes.penColor = value; }
void RazazUrirAdeder::setPenWidth(std::int32_t value) { state_->attributes.penWidth = value; }

// ---- methods ----

void RazazUrirAdeder::SetImageData(const void* hImageData, std::int32_t ndim, const std::int32_t* hDims,
                                   std::int32_t CopyMode)
{
    // Refused data (bad dimensions, no memory) leaves the previous display as it was.
    if (!state_->samples.setImageData(hImageData, ndim, hDims, CopyMode, state_->builder.imageType() != 0))
        return;
    state_->builder.markStale();
    RedrawImage();
}

void RazazUrirAdeder::MoveTo(std::int32_t x, std::int32_t y)
{
    state_->overlays.queue(OverlayKind::Move, x, y, 0, 0, state_->attributes);
}

void RazazUrirAdeder::LineTo(std::int32_t x, std::int32_t y)
{
    state_->overlays.queue(OverlayKind::Line, x, y, 0, 0, state_->attributes);
}

void RazazUrirAdeder::SetCrossPoint(std::int32_t x, std::int32_t y)
{
    state_->crossX = x;
    state_->crossY = y;
    repaint();
}

std::int16_t* RazazUrirAdeder::GetBuffer(std::int32_t width, std::int32_t height)
{
    return state_->samples.getBuffer(width, height);
}

void RazazUrirAdeder::Ellipse(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2)
{
    state_->overlays.queue(OverlayKind::Ellipse, X1, Y1, X2, Y2, state_->attributes);
}

void RazazUrirAdeder::Rectangle(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2)
{
    state_->overlays.queue(OverlayKind::Rectangle, X1, Y1, X2, Y2, state_->attributes);
}

void RazazUrirAdeder::Clear(std::int32_t) { state_->overlays.clear(); }

void RazazUrirAdeder::RedrawImage()
{
    // Resampling aims at device pixels so that the picture stays sharp on
    // high-density screens; everything else is in logical pixels.
    const qreal ratio = devicePixelRatioF();
    state_->builder.rebuild(state_->samples, static_cast<std::int32_t>(std::lround(width() * ratio)),
                            static_cast<std::int32_t>(std::lround(height() * ratio)));
    repaint();
}

void RazazUrirAdeder::RectangleFill(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2)
{
    state_->overlays.queue(OverlayKind::FilledRectangle, X1, Y1, X2, Y2, state_->attributes);
}

void RazazUrirAdeder::TextOut(std::int32_t x, std::int32_t y, const std::string& Str)
{
    state_->overlays.queue(OverlayKind::Text, x, y, 0, 0, state_->attributes, Str);
}

std::int16_t RazazUrirAdeder::GetShortValue(float x, float y) const { return state_->samples.shortValue(x, y); }

void RazazUrirAdeder::GetVersion(std::string& string, std::int32_t& len) const
{
    // The text followed by zero bytes, as many characters as the caller asked
    // for and its string holds.
    char buffer[100] = {};
    std::copy(std::begin(versionText), std::end(versionText) - 1, buffer);
    const std::size_t asked = static_cast<std::size_t>(std::clamp<std::int32_t>(len / 2, 0, 100));
    const std::size_t count = std::min(asked, string.size());
    for (std::size_t i = 0; i < count; ++i)
        string[i] = buffer[i];
    len = static_cast<std::int32_t>(sizeof versionText - 1);
}

const DisplayBitmap* RazazUrirAdeder::displayBitmap() const { return state_->builder.bitmap(); }
const OverlayList& RazazUrirAdeder::overlays() const { return state_->overlays; }
std::int32_t RazazUrirAdeder::CrossPointX() const { return state_->crossX; }
std::int32_t RazazUrirAdeder::CrossPointY() const { return state_->crossY; }

// ---- painting ----

void RazazUrirAdeder::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const std::int32_t cx = width();
    const std::int32_t cy = height();
    const QRect window(0, 0, cx, cy);
    // Pixel dropping, as the original stretch: no smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (const DisplayBitmap* bitmap = state_->builder.bitmap()) {
        const QImage picture(reinterpret_cast<const uchar*>(bitmap->pixels()), bitmap->width(), bitmap->height(),
                             bitmap->bytesPerLine(), QImage::Format_RGB32);
        painter.drawImage(window, picture);
    } else {
        painter.drawImage(window, state_->placeholder);
    }

    const std::int32_t imageWidth = state_->samples.width();
    const std::int32_t imageHeight = state_->samples.height();
    // Without an image size there is nowhere to put the cross-hair.
    if (state_->crossVisible && imageWidth > 0 && imageHeight > 0) {
        painter.setPen(QPen(QColor(55, 255, 55), 2, Qt::SolidLine, Qt::FlatCap));
        const std::int32_t x = OverlayPainter::scale(state_->crossX, cx, imageWidth);
        const std::int32_t y = OverlayPainter::scale(state_->crossY, cy, imageHeight);
        painter.drawLine(x, 0, x, cy);
        painter.drawLine(0, y, cx, y);
    }
    OverlayPainter::paint(painter, state_->overlays, imageWidth, imageHeight, cx, cy);
}

void RazazUrirAdeder::resizeEvent(QResizeEvent* event)
{
    // The window size is read at each rebuild and paint; with resampling on,
    // the next RedrawImage resamples to the new size.
    QWidget::resizeEvent(event);
}

void RazazUrirAdeder::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
}

// ---- input ----

namespace {

std::int32_t pixelOf(qreal coordinate) { return static_cast<std::int32_t>(std::floor(coordinate)); }

} // namespace

void RazazUrirAdeder::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(InputCodes::button(event->button()), InputCodes::shift(event->modifiers()),
                   pixelOf(event->position().x()), pixelOf(event->position().y()));
    event->accept();
}

void RazazUrirAdeder::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(InputCodes::buttons(event->buttons()), InputCodes::shift(event->modifiers()),
                   pixelOf(event->position().x()), pixelOf(event->position().y()));
    event->accept();
}

void RazazUrirAdeder::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseUp(InputCodes::button(event->button()), InputCodes::shift(event->modifiers()),
                 pixelOf(event->position().x()), pixelOf(event->position().y()));
    event->accept();
}

void RazazUrirAdeder::wheelEvent(QWheelEvent* event)
{
    // Fine-grained wheels and touch pads deliver fractions of a notch: they
    // are gathered so that hosts always see multiples of 120.
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        if ((delta > 0) != (state_->wheelRemainder > 0))
            state_->wheelRemainder = 0;
        state_->wheelRemainder += delta;
        const int whole = state_->wheelRemainder / 120 * 120;
        if (whole != 0) {
            state_->wheelRemainder -= whole;
            emit MouseWheel(static_cast<std::int16_t>(std::clamp(whole, -32760, 32760)));
        }
    }
    // The message then gets its default handling: the parent may use it too.
    event->ignore();
}

void RazazUrirAdeder::keyPressEvent(QKeyEvent* event)
{
    const std::int16_t shift = InputCodes::shift(event->modifiers());
    std::int16_t keyCode = InputCodes::virtualKey(event->key(), event->modifiers());
    if (keyCode != 0)
        emit KeyDown(keyCode, shift);
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).unicode() < 0x8000) {
        std::int16_t keyAscii = static_cast<std::int16_t>(text.at(0).unicode());
        emit KeyPress(keyAscii);
    }
    event->accept();
}

void RazazUrirAdeder::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats KeyDown only, as on the original platform.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    std::int16_t keyCode = InputCodes::virtualKey(event->key(), event->modifiers());
    if (keyCode != 0)
        emit KeyUp(keyCode, InputCodes::shift(event->modifiers()));
    event->accept();
}
