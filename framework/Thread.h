#pragma once

#include "framework/IThread.h"
#include "platform/classlib/core/TThread.h"

#include <cstdint>

class IRunnable;

// A worker thread that runs one runnable, made only by TarnwickFactory::createThread and kept in
// the ThreadPool registry. Exactly one party releases the object: kill, the release of its
// factory's threads, or, for a worker that ended by itself, its factory.
//
// A worker that ends by itself deregisters at once (isAlive false, getThread no longer finds it)
// and its system thread is let go as it ends, so that no run leaves a thread or its stack behind.
// The object itself stays valid until its factory makes its next thread or dies, so that a kill
// or a join through a pointer taken just before the end is harmless.
class Thread : public TThread, public IThread {
public:
    // runnable may be null; run then does nothing. The worker waits for start.
    explicit Thread(IRunnable* runnable);
    ~Thread() override;

    void run() override;
    void start() override;
    void sleep(std::uint32_t milliseconds) override;
    void join() override;
    void kill() override;
    bool isAlive() override;

protected:
    void Execute() override;

private:
    // The worker's last step: when it was still registered it ended by itself.
    void retire();

    IRunnable* runnable;  // not owned
};
