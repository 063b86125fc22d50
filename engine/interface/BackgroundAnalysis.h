#pragma once

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zvipengine {

// Background runs of the lung analysis. All instances of the module share
// one pending counter and one lock: a run increments the counter, takes the
// lock, runs its action only when the counter is then at most 1, decrements
// the counter and releases the lock. Requests made while one runs are thus
// serialised, and a request that finds others still pending behind it does
// nothing (the last one of a burst runs).
//
// The threads of an instance are joined when it resets or is destroyed, so a
// run never outlives the volume it works on.
class BackgroundAnalysis {
public:
    BackgroundAnalysis() = default;
    ~BackgroundAnalysis();
    BackgroundAnalysis(const BackgroundAnalysis&) = delete;
    BackgroundAnalysis& operator=(const BackgroundAnalysis&) = delete;

    // Starts a thread and returns at once. False when no thread can be had.
    bool start(std::function<void()> action);
    // Waits for every thread this instance started.
    void waitForAll();
    // Requests of the whole module that have not finished yet.
    static int pending();

private:
    std::mutex threadsLock_;
    std::vector<std::thread> threads_;
};

} // namespace zvipengine
