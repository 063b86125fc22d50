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
    const TwipsPoint previous = remembered_;
    if (point.x != previous.x || point.y != previous.y)
        moved_ = true;
    remembered_ = point;
    return previous;
}

void MeasurementTool::release() { dragging_ = false; }

} // namespace vantor
