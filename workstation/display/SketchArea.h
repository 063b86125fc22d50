#pragma once

namespace vantor {

// The picture area of the sketch window, in twips. A picture is fitted into
// the designed area (7000 wide, 5000 high) keeping its proportions: a
// picture taller than the area's shape keeps the area's height, a wider one
// its width.
struct SketchArea {
    static constexpr int kDesignedWidth = 7000;
    static constexpr int kDesignedHeight = 5000;

    int width = kDesignedWidth;
    int height = kDesignedHeight;

    // The area for a picture of w x h pixels; the designed area when either is not positive.
    static SketchArea fitted(int pictureWidth, int pictureHeight);
};

} // namespace vantor
