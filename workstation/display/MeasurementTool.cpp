#include "display/MeasurementTool.h"

#include "display/LineMeasurement.h"
#include "display/RoiMeasurement.h"

namespace vantor {

bool MeasurementTool::press(std::int16_t button, TwipsPoint point, bool leftDragAllowed)
{
    if (button == kLeftButton && !leftDragAllowed)
        return false;
    dragging_ = true;
    moved_ = false;
    remembered_ = point;
    return true;
}

bool MeasurementTool::measureTo(TwipsPoint point, OverlayCanvas& canvas, const MeasurementContext& context)
{
    if (!dragging_)
        return false;
    if (point.x != remembered_.x || point.y != remembered_.y)
        moved_ = true;
    if (choices_.mode == MeasureMode::Roi)
        return drawRoiMeasurement(canvas, context, choices_.shape, remembered_, point, roiValues_);
    return drawLineMeasurement(canvas, context, remembered_, point, profile_);
}

TwipsPoint MeasurementTool::advance(TwipsPoint point)
{
    const TwipsPoint movement{point.x - remembered_.x, point.y - remembered_.y};
    if (movement.x != 0.0 || movement.y != 0.0)
        moved_ = true;
    remembered_ = point;
    return movement;
}

void MeasurementTool::release() { dragging_ = false; }

} // namespace vantor
