#pragma once

namespace vantor {

// The measurement tool of a left-button drag: OptMeasureMode 0 "Line", 1 "ROI".
enum class MeasureMode { Line = 0, Roi = 1 };

// The ROI shape: OptMeasure 0 "Rect" (a circle on the drag as diameter,
// "Diagonal" in the options dialog), 1 "Center" (an ellipse around the press point).
enum class RoiShape { Rect = 0, Center = 1 };

struct MeasurementChoices {
    MeasureMode mode = MeasureMode::Line;
    RoiShape shape = RoiShape::Rect;
};

} // namespace vantor
