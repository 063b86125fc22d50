#pragma once

#include <cstdint>
#include <system_error>
#include <thread>

namespace zvipengine {

// Runs work(zBegin, zEnd, worker) over slices 0..slices-1: on two threads
// when the machine has two processors and the volume is large enough to
// repay a thread start, else on the caller's thread alone. The two halves
// must write disjoint memory.
class SliceRanges {
public:
    static constexpr std::int64_t SplitThreshold = std::int64_t{1} << 20;

    template <typename Work>
    static void run(std::int32_t slices, std::int64_t voxelsPerSlice, std::int32_t processorCount, const Work& work)
    {
        if (slices <= 0)
            return;
        if (processorCount < 2 || slices < 2 || voxelsPerSlice * slices < SplitThreshold) {
            work(0, slices, 0);
            return;
        }
        const std::int32_t middle = slices / 2;
        std::thread second;
        try {
            second = std::thread([&] { work(middle, slices, 1); });
        } catch (const std::system_error&) {
            work(0, slices, 0);
            return;
        }
        work(0, middle, 0);
        second.join();
    }
};

} // namespace zvipengine
