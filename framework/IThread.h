#pragma once

#include "framework/IRunnable.h"

#include <cstdint>

// A worker thread made by a framework factory for one runnable (TarnwickFactory::createThread).
// It is created suspended; start lets it run the runnable on the worker. The object is never
// deleted by its user: the worker, kill or the release of its factory's threads ends it.
class IThread : public IRunnable {
public:
    // run (inherited): runs the runnable on the calling thread, not on the worker.
    // Lets the suspended worker begin; returns at once.
    virtual void start() = 0;
    // Suspends the calling thread, not the worker.
    virtual void sleep(std::uint32_t milliseconds) = 0;
    // Waits until the worker has finished. Must not be called from the worker itself, nor before
    // start.
    virtual void join() = 0;
    // Deregisters the thread, asks the worker to end and waits until it has, then releases the
    // thread object. Never forces the worker to stop: a runnable that never returns keeps kill
    // waiting, so the runnable must have its own way to finish early. On a thread whose worker
    // has already ended by itself it does nothing.
    virtual void kill() = 0;
    // True from creation until the worker has ended or the thread was killed.
    virtual bool isAlive() = 0;

protected:
    ~IThread() = default;
};
