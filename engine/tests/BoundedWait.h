#pragma once

#include <chrono>
#include <thread>

// Waits for a condition that another thread makes true. Returns false when it
// has not come within the limit, so a lost event fails the test instead of
// hanging it; the limit is far above any run time, never a measure of speed.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
