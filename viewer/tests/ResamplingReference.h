#pragma once

// A plain, per-pixel bilinear resampling written from the definition, for
// the resampler and the display bitmap to be checked against.

#include <cmath>
#include <cstdint>
#include <vector>

template <typename Sample>
std::vector<std::int32_t> referenceResample(const std::vector<Sample>& source, int sourceWidth, int sourceHeight,
                                            int targetWidth, int targetHeight)
{
    std::vector<std::int32_t> target(static_cast<std::size_t>(targetWidth) * targetHeight);
    const auto place = [](int j, int sourceLength, int targetLength, int& index, float& fraction) {
        if (targetLength == 1) {
            index = 0;
            fraction = 0.0f;
            return;
        }
        const long long position = static_cast<long long>(j) * (sourceLength - 1);
        index = static_cast<int>(position / (targetLength - 1));
        fraction = static_cast<float>(position % (targetLength - 1)) / static_cast<float>(targetLength - 1);
    };
    for (int row = 0; row < targetHeight; ++row) {
        int iy;
        float fy;
        place(row, sourceHeight, targetHeight, iy, fy);
        const int iy1 = row == targetHeight - 1 || iy + 1 >= sourceHeight ? iy : iy + 1;
        for (int column = 0; column < targetWidth; ++column) {
            int ix;
            float fx;
            place(column, sourceWidth, targetWidth, ix, fx);
            const int ix1 = column == targetWidth - 1 || ix + 1 >= sourceWidth ? ix : ix + 1;
            const float w00 = (1.0f - fx) * (1.0f - fy);
            const float w10 = fx * (1.0f - fy);
            const float w01 = (1.0f - fx) * fy;
            const float w11 = 1.0f - w00 - w10 - w01;
            const auto at = [&](int x, int y) { return static_cast<float>(source[static_cast<std::size_t>(y) * sourceWidth + x]); };
            float sum = 0.0f;
            if (w00 != 0.0f)
                sum += w00 * at(ix, iy);
            if (w10 != 0.0f)
                sum += w10 * at(ix1, iy);
            if (w01 != 0.0f)
                sum += w01 * at(ix, iy1);
            if (w11 != 0.0f)
                sum += w11 * at(ix1, iy1);
            target[static_cast<std::size_t>(row) * targetWidth + column] = static_cast<std::int32_t>(std::floor(sum + 0.01f));
        }
    }
    return target;
}
