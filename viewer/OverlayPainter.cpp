#include "ZVImgViewer/OverlayPainter.h"

#include "ZVImgViewer/OverlayList.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

QColor OverlayPainter::color(std::int32_t colorRef)
{
    const auto value = static_cast<std::uint32_t>(colorRef);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

QPen OverlayPainter::pen(std::int32_t style, std::int32_t width, std::int32_t colorRef)
{
    Qt::PenStyle penStyle = Qt::SolidLine;
    switch (style) {
    case 1:
        penStyle = Qt::DashLine;
        break;
    case 2:
        penStyle = Qt::DotLine;
        break;
    case 3:
        penStyle = Qt::DashDotLine;
        break;
    case 4:
        penStyle = Qt::DashDotDotLine;
        break;
    case 5:
        penStyle = Qt::NoPen;
        break;
    default:
        break; // 0 solid, 6 inside frame: solid
    }
    // The original platform draws wide dashed or dotted pens solid.
    if (width > 1 && penStyle != Qt::NoPen)
        penStyle = Qt::SolidLine;
    QPen result(color(colorRef), std::max(width, 0), penStyle);
    if (width > 1) {
        result.setCapStyle(Qt::RoundCap);
        result.setJoinStyle(Qt::RoundJoin);
    } else {
        result.setCapStyle(Qt::FlatCap);
    }
    return result;
}

QFont OverlayPainter::font(const OverlayItem& item)
{
    QFont result(QString::fromStdString(item.fontFaceName));
    // The size is a character height in pixels; 0 asks for the usual size.
    const std::int32_t height = std::clamp(item.textSize == 0 ? 12 : std::abs(item.textSize), 1, 4096);
    result.setPixelSize(height);
    result.setWeight(QFont::Normal);
    result.setFixedPitch(true);
    result.setStyleHint(QFont::TypeWriter);
    return result;
}

std::int32_t OverlayPainter::scale(std::int32_t coordinate, std::int32_t windowLength, std::int32_t imageLength)
{
    if (imageLength <= 0)
        return 0; // no image size: nowhere to put it
    const std::int64_t scaled = std::int64_t{coordinate} * windowLength / imageLength;
    // Far beyond the window the exact place does not matter, only the direction.
    constexpr std::int64_t limit = 1 << 24;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(scaled, -limit, limit));
}

std::array<QPoint, 9> OverlayPainter::octagon(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
{
    const auto mix = [](std::int64_t near, std::int64_t far) { return static_cast<int>((5 * far + 12 * near) / 17); };
    const int a = mix(x1, x2);
    const int b = mix(x2, x1);
    const int c = mix(y1, y2);
    const int d = mix(y2, y1);
    return {QPoint(x1, c), QPoint(a, y1), QPoint(b, y1), QPoint(x2, c), QPoint(x2, d),
            QPoint(b, y2), QPoint(a, y2), QPoint(x1, d), QPoint(x1, c)};
}

QPointF OverlayPainter::textOffset(const QFont& font, const QString& text, std::int32_t textAlign)
{
    const QFontMetricsF metrics(font);
    qreal dx = 0;
    if ((textAlign & alignCentre) == alignCentre)
        dx = -metrics.horizontalAdvance(text) / 2;
    else if (textAlign & alignRight)
        dx = -metrics.horizontalAdvance(text);
    qreal dy = metrics.ascent(); // top
    if ((textAlign & alignBaseline) == alignBaseline)
        dy = 0;
    else if (textAlign & alignBottom)
        dy = -metrics.descent();
    return {dx, dy};
}

void OverlayPainter::paint(QPainter& painter, const OverlayList& overlays, std::int32_t imageWidth,
                           std::int32_t imageHeight, std::int32_t windowWidth, std::int32_t windowHeight)
{
    if (overlays.empty() || imageWidth <= 0 || imageHeight <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    QPoint current(0, 0);
    QFont textFont;
    const OverlayItem* fontItem = nullptr;
    const auto at = [&](std::int32_t x, std::int32_t y) {
        return QPoint(scale(x, windowWidth, imageWidth), scale(y, windowHeight, imageHeight));
    };
    for (const OverlayItem& item : overlays) {
        const QPoint first = at(item.x1, item.y1);
        if (item.kind == OverlayKind::Text) {
            const QString text = QString::fromStdString(item.text);
            // Consecutive labels usually share their font: make it once.
            if (!fontItem || fontItem->fontFaceName != item.fontFaceName || fontItem->textSize != item.textSize) {
                textFont = font(item);
                fontItem = &item;
            }
            painter.save();
            painter.translate(first);
            painter.rotate(-item.textAngle / 10.0);
            painter.setFont(textFont);
            painter.setPen(color(item.textColor));
            painter.drawText(textOffset(textFont, text, item.textAlign), text);
            painter.restore();
            continue;
        }
        painter.setPen(pen(item.penStyle, item.penWidth, item.penColor));
        const QPoint second = at(item.x2, item.y2);
        switch (item.kind) {
        case OverlayKind::Move:
            current = first;
            break;
        case OverlayKind::Line:
            painter.drawLine(current, first);
            current = first;
            break;
        case OverlayKind::Ellipse: {
            const auto points = octagon(first.x(), first.y(), second.x(), second.y());
            painter.drawPolyline(points.data(), static_cast<int>(points.size()));
            break;
        }
        case OverlayKind::Rectangle: {
            const QPoint upper[3] = {QPoint(first.x() - item.penWidth / 2, first.y()), QPoint(second.x(), first.y()),
                                     second};
            const QPoint lower[3] = {first, QPoint(first.x(), second.y()), second};
            painter.drawPolyline(upper, 3);
            painter.drawPolyline(lower, 3);
            break;
        }
        case OverlayKind::FilledRectangle: {
            // Like the original platform: the right and bottom edges stay out.
            const QRect box = QRect(first, second).normalized();
            const QRect area(box.left(), box.top(), box.width() - 1, box.height() - 1);
            if (area.width() <= 0 || area.height() <= 0)
                break;
            painter.fillRect(area, color(item.brushColor));
            if (painter.pen().style() != Qt::NoPen) {
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRect(area.left(), area.top(), area.width() - 1, area.height() - 1));
            }
            break;
        }
        case OverlayKind::Text:
            break;
        }
    }
    painter.restore();
}
