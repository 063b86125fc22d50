#pragma once

#include <cstdint>
#include <functional>

namespace zvipengine {

// The strip split of the renderings. Strip `part` of `partHeight` rows of an
// image of `height` rows: with two or more processors and part < P =
// ceil(height / partHeight), the image is cut in strips of h =
// ceil(partHeight / 2) rows; the caller renders strip `part` and a worker
// thread strip `part + P` at the same time, so calls for part = 0 .. P - 1
// cover the image. With one processor the caller renders rows
// part * partHeight .. (part + 1) * partHeight - 1 itself. Each thread
// writes only its own rows, so the halves never touch the same memory.
class SplitRendering {
public:
    using RowRenderer = std::function<void(std::int32_t rowBegin, std::int32_t rowEnd)>;
    // False for a part below 0 or a partHeight below 1.
    static bool renderPart(std::int32_t part, std::int32_t partHeight, std::int32_t height,
                           std::int32_t processorCount, const RowRenderer& render);
};

} // namespace zvipengine
