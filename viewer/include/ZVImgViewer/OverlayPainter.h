#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>

#include <array>
#include <cstdint>

class OverlayList;
struct OverlayItem;
class QPainter;

// Replays the queued drawing commands over the picture, scaled from image to
// window coordinates (X' = X * cx / W, truncating), with the original
// platform's geometry: ellipses as octagons, rectangles as two polylines,
// filled rectangles without their right and bottom edges, text anchored by the
// system alignment flags and rotated by its escapement.
class OverlayPainter
{
public:
    // Nothing is drawn while the image size is not positive.
    static void paint(QPainter& painter, const OverlayList& overlays, std::int32_t imageWidth,
                      std::int32_t imageHeight, std::int32_t windowWidth, std::int32_t windowHeight);

    static QColor color(std::int32_t colorRef);                     // 0x00BBGGRR
    static QPen pen(std::int32_t style, std::int32_t width, std::int32_t colorRef);
    static QFont font(const OverlayItem& item);
    static std::int32_t scale(std::int32_t coordinate, std::int32_t windowLength, std::int32_t imageLength);
    // The octagon that stands for an ellipse in the box (x1, y1)-(x2, y2), closed.
    static std::array<QPoint, 9> octagon(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    // Where the text's baseline starts, relative to the anchor, for the alignment flags.
    static QPointF textOffset(const QFont& font, const QString& text, std::int32_t textAlign);

    // Text alignment flags of the original platform.
    static constexpr std::int32_t alignRight = 2;
    static constexpr std::int32_t alignCentre = 6;
    static constexpr std::int32_t alignBottom = 8;
    static constexpr std::int32_t alignBaseline = 24;
};
