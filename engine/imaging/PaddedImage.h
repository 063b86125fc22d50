#pragma once

#include <cstdint>
#include <vector>

namespace zvipengine {

// The working image of the neighbourhood filters: (width + n) x (height + n)
// samples holding the image at (n/2, n/2), its border mirrored at the edges
// with the edge pixel repeated (column -1 repeats column 0, -2 column 1, ...).
// Output pixel (x, y) of a filter reads the n x n block whose top-left
// corner is (x, y).
class PaddedImage {
public:
    // Filter sizes the working image can serve: 1 and up, no larger than
    // either side (a wider border would mirror past the far edge).
    static bool acceptsFilterSize(std::int32_t n, std::int32_t width, std::int32_t height)
    {
        return n >= 1 && n <= width && n <= height;
    }
    // False when memory is short.
    bool build(const std::int16_t* image, std::int32_t width, std::int32_t height, std::int32_t n);

    const std::int16_t* row(std::int64_t y) const { return samples_.data() + y * stride_; }
    std::int64_t stride() const { return stride_; }

private:
    std::vector<std::int16_t> samples_;
    std::int64_t stride_ = 0;
};

} // namespace zvipengine
