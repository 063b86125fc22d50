#include "display/SketchArea.h"

#include <cmath>

namespace vantor {

SketchArea SketchArea::fitted(int pictureWidth, int pictureHeight)
{
    SketchArea area;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return area;
    const double w = pictureWidth;
    const double h = pictureHeight;
    // Every fit starts from the designed area, so one picture never inherits
    // the shape the previous one left behind.
    if (h / kDesignedHeight >= w / kDesignedWidth)
        area.width = static_cast<int>(std::lround(kDesignedHeight * w / h));
    else
        area.height = static_cast<int>(std::lround(kDesignedWidth * h / w));
    return area;
}

} // namespace vantor
