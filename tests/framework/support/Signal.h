#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A one-way flag between threads. wait gives up after a generous bound so that a broken build
// fails its test instead of hanging it.
class Signal {
public:
    void raise() {
        const std::lock_guard<std::mutex> lock(mutex);
        raised = true;
        changed.notify_all();
    }
    bool wait() {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), [this] { return raised; });
    }
    bool isRaised() {
        const std::lock_guard<std::mutex> lock(mutex);
        return raised;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool raised = false;
};
