#pragma once
// The best of several timed runs: the least disturbed by the rest of the machine.
#include <algorithm>
#include <chrono>

template <typename Work>
double bestSeconds(int repeats, Work work)
{
    double best = 1e30;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
