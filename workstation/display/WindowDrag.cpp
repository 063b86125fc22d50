#include "display/WindowDrag.h"

#include "display/DecimalText.h"
#include "display/NumericText.h"

#include <cmath>

namespace vantor {

WindowDragStep windowDragStep(double dxTwips, double dyTwips)
{
    double a = dxTwips / 5.0;
    double b = dyTwips / 5.0;
    if ((std::fabs(a) > 20.0 && std::fabs(b) < 5.0) || (std::fabs(a) > 8.0 && std::fabs(b) < 3.0))
        b = 0.0;
    if ((std::fabs(b) > 20.0 && std::fabs(a) < 5.0) || (std::fabs(b) > 8.0 && std::fabs(a) < 3.0))
        a = 0.0;
    return {a, b};
}

WindowDragResult applyWindowDrag(const std::string& levelText, const std::string& widthText, double dxTwips,
                                 double dyTwips)
{
    const WindowDragStep step = windowDragStep(dxTwips, dyTwips);
    WindowDragResult result{levelText, widthText, false, false};
    if (step.levelChange != 0.0) {
        result.levelText = decimalText(numericValue(levelText) + step.levelChange);
        result.levelChanged = true;
    }
    if (step.widthChange != 0.0) {
        result.widthText = decimalText(numericValue(widthText) + step.widthChange);
        result.widthChanged = true;
    }
    return result;
}

} // namespace vantor
