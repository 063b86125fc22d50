#include "BackgroundAnalysis.h"

#include <atomic>
#include <system_error>

namespace zvipengine {

namespace {

std::atomic<int>& pendingCounter()
{
    static std::atomic<int> counter{0};
    return counter;
}

std::mutex& moduleLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

BackgroundAnalysis::~BackgroundAnalysis()
{
    waitForAll();
}

bool BackgroundAnalysis::start(std::function<void()> action)
{
    std::lock_guard<std::mutex> guard(threadsLock_);
    try {
        threads_.emplace_back([action = std::move(action)] {
            pendingCounter().fetch_add(1);
            std::lock_guard<std::mutex> lock(moduleLock());
            if (pendingCounter().load() <= 1)
                action();
            pendingCounter().fetch_sub(1);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void BackgroundAnalysis::waitForAll()
{
    std::vector<std::thread> running;
    {
        std::lock_guard<std::mutex> guard(threadsLock_);
        running.swap(threads_);
    }
    for (std::thread& t : running) {
        // A ThreadFinished handler that resets the engine runs on one of
        // these threads; it cannot wait for itself.
        if (t.get_id() == std::this_thread::get_id())
            t.detach();
        else if (t.joinable())
            t.join();
    }
}

int BackgroundAnalysis::pending()
{
    return pendingCounter().load();
}

} // namespace zvipengine
