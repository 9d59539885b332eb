#pragma once

#include "framework/IRunnable.h"
#include "framework/IThread.h"
#include "framework/Tarnwickfactory.h"
#include "tests/framework/support/Signal.h"

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>

// A runnable whose run can be held at its start until the test lets it go (as the extraction run
// goes on until its abort flag is set), made to throw, or given extra work.
class Job : public IRunnable {
public:
    void run() override {
        ranOn = std::this_thread::get_id();
        ++runs;
        entered.raise();
        if (holdUntilReleased) release.wait();
        if (inside) inside();
        if (throwInside) throw std::runtime_error("the run fails");
        finished = true;
    }

    std::atomic<int> runs{0};
    std::atomic<bool> finished{false};
    std::thread::id ranOn;
    bool holdUntilReleased = false;
    bool throwInside = false;
    std::function<void()> inside;
    Signal entered;
    Signal release;
};

// A thread for the job from the factory, which must know the job as one of its own.
inline IThread* threadFor(TarnwickFactory& factory, Job& job) {
    factory.registerCreatedObject(static_cast<IRunnable*>(&job), &job);
    return factory.createThread(&job);
}
