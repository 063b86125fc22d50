#pragma once

#include <cstdint>
#include <functional>

namespace zvipengine {

// Runs work over the index range 0 .. count - 1: the upper half on a worker
// thread when two or more processors are available and the range is worth a
// thread, the lower half on the caller's thread. Each half writes only its
// own outputs. The result is false when either half reported false.
class TwoThreadSplit {
public:
    using RangeWork = std::function<bool(std::int64_t begin, std::int64_t end)>;
    static bool run(std::int64_t count, std::int32_t processorCount, std::int64_t minimumForSplit,
                    const RangeWork& work);
};

} // namespace zvipengine
