#include "TwoThreadSplit.h"

#include <system_error>
#include <thread>

namespace zvipengine {

bool TwoThreadSplit::run(std::int64_t count, std::int32_t processorCount, std::int64_t minimumForSplit,
                         const RangeWork& work)
{
    if (count <= 0)
        return true;
    if (processorCount < 2 || count < 2 || count < minimumForSplit)
        return work(0, count);
    const std::int64_t middle = count / 2;
    bool upper = true;
    std::thread worker;
    try {
        worker = std::thread([&] { upper = work(middle, count); });
    } catch (const std::system_error&) {
        // No second thread to be had: the caller does both halves.
        upper = work(middle, count);
    }
    const bool lower = work(0, middle);
    if (worker.joinable())
        worker.join();
    return lower && upper;
}

} // namespace zvipengine
