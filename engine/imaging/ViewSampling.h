#pragma once

#include <cstdint>

namespace zvipengine {

// Where the output pixels of an oblique view fall in the volume. From the
// caller's matrix H (view millimetres -> voxels), the output size W x H and
// the pixel size p the view matrix is V = translate(-W/2, -H/2, 0) *
// scale(p, p, p) * H; output pixel (i, j) at depth k samples (i, j, k) * V.
// Positions are formed from the absolute pixel indices in double precision,
// so a pixel gets the same position whichever strip or thread renders it.
struct ViewSampling {
    double origin[3] = {0, 0, 0};
    double column[3] = {0, 0, 0};
    double row[3] = {0, 0, 0};
    double depth[3] = {0, 0, 0};

    static ViewSampling fromMatrix(const float* matrix, std::int32_t width, std::int32_t height,
                                   double pixelSpacing);

    void rayBase(std::int32_t i, std::int32_t j, double out[3]) const
    {
        for (int a = 0; a < 3; ++a)
            out[a] = origin[a] + i * column[a] + j * row[a];
    }
};

} // namespace zvipengine
