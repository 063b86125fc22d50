#include "ZVImgViewer/OverlayList.h"

bool OverlayList::queue(OverlayKind kind, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                        const OverlayAttributes& attributes, const std::string& text)
{
    if (items_.size() >= capacity)
        return false;
    OverlayItem item;
    item.kind = kind;
    item.x1 = x1;
    item.y1 = y1;
    if (kind == OverlayKind::Text) {
        item.text = text;
        item.textAngle = attributes.textAngle;
        item.textAlign = attributes.textAlign;
        item.textColor = attributes.textColor;
        item.textSize = attributes.textSize;
        item.fontFaceName = attributes.fontFaceName;
    } else {
        item.penWidth = attributes.penWidth;
        item.penColor = attributes.penColor;
        item.penStyle = attributes.penStyle;
        if (kind != OverlayKind::Move && kind != OverlayKind::Line) {
            item.x2 = x2;
            item.y2 = y2;
        }
        if (kind == OverlayKind::FilledRectangle)
            item.brushColor = attributes.brushColor;
    }
    if (items_.capacity() == 0)
        items_.reserve(64);
    items_.push_back(std::move(item));
    return true;
}
