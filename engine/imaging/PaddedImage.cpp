#include "PaddedImage.h"

#include <algorithm>
#include <new>

namespace zvipengine {

namespace {

std::int64_t mirrored(std::int64_t i, std::int64_t n)
{
    if (i < 0)
        return -1 - i;
    if (i >= n)
        return 2 * n - 1 - i;
    return i;
}

} // namespace

bool PaddedImage::build(const std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t n)
{
    const std::int64_t half = n / 2;
    stride_ = std::int64_t{width} + n;
    const std::int64_t rows = std::int64_t{height} + n;
    try {
        samples_.resize(static_cast<std::size_t>(stride_ * rows));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t r = 0; r < rows; ++r) {
        const std::int16_t* in = image + mirrored(r - half, height) * width;
        std::int16_t* out = samples_.data() + r * stride_;
        for (std::int64_t c = 0; c < half; ++c)
            out[c] = in[mirrored(c - half, width)];
        std::copy(in, in + width, out + half);
        for (std::int64_t c = half + width; c < stride_; ++c)
            out[c] = in[mirrored(c - half, width)];
    }
    return true;
}

} // namespace zvipengine
