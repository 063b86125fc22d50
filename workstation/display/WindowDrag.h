#pragma once

#include <string>

namespace vantor {

// The change of window level (b) and width (a) that one mouse move of a
// right-button drag makes: a = dx / 5, b = dy / 5 with dx, dy in twips, after
// the dead zones that keep a mostly horizontal move from touching the level
// and a mostly vertical one from touching the width.
struct WindowDragStep {
    double widthChange = 0.0; // a
    double levelChange = 0.0; // b
};

WindowDragStep windowDragStep(double dxTwips, double dyTwips);

// The window text boxes after one drag move: a changed value is written as
// decimal text with its fraction kept; an unchanged one keeps its text as it
// was. Moving down raises the level, moving right widens the window; neither
// is clamped.
struct WindowDragResult {
    std::string levelText;
    std::string widthText;
    bool levelChanged = false;
    bool widthChanged = false;
};

WindowDragResult applyWindowDrag(const std::string& levelText, const std::string& widthText, double dxTwips,
                                 double dyTwips);

} // namespace vantor
