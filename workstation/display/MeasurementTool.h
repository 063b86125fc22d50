#pragma once

#include "display/MeasurementChoices.h"
#include "display/MeasurementScale.h"

#include <cstdint>
#include <vector>

namespace vantor {

class OverlayCanvas;

// Mouse state of the main image viewer and the measurement tools that a
// left-button drag runs. Points are in twips on the form.
class MeasurementTool {
public:
    // Mouse buttons as the viewer reports them.
    static constexpr std::int16_t kLeftButton = 1;
    static constexpr std::int16_t kRightButton = 2;
    static constexpr std::int16_t kMiddleButton = 4;

    MeasurementChoices& choices() { return choices_; }
    const MeasurementChoices& choices() const { return choices_; }

    // A button press starts a drag and remembers the point. The left button
    // starts one only when leftDragAllowed (a series is loaded and its pixel
    // spacing is known); the others always do. Returns whether a drag started.
    bool press(std::int16_t button, TwipsPoint point, bool leftDragAllowed);

    // A left-button move: runs the selected tool from the press point to point.
    // Returns whether it drew (false outside a drag or for an empty measurement).
    bool measureTo(TwipsPoint point, OverlayCanvas& canvas, const MeasurementContext& context);

    // A right- or middle-button move: the remembered point advances to point;
    // returns the point it held before (the press or the previous move), so
    // the movement is point - advance(point).
    TwipsPoint advance(TwipsPoint point);

    // Ends the drag. The drawing stays until the next clear.
    void release();

    bool dragging() const { return dragging_; }
    // Whether the mouse moved since the press (a still right click opens the pop-up menu).
    bool movedSincePress() const { return moved_; }
    TwipsPoint rememberedPoint() const { return remembered_; }

private:
    MeasurementChoices choices_;
    bool dragging_ = false;
    bool moved_ = false;
    TwipsPoint remembered_;
    std::vector<double> profile_;
    std::vector<std::int16_t> roiValues_;
};

} // namespace vantor
