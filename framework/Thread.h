#pragma once

#include "framework/IThread.h"
#include "platform/classlib/core/TThread.h"

#include <cstdint>

class IRunnable;

// A worker thread that runs one runnable, made only by TarnwickFactory::createThread and kept in
// the ThreadPool registry. Exactly one party releases the object: kill, the release of its
// factory's threads, or, for a worker that ended by itself, its factory when it releases its
// threads. A worker that ends by itself deregisters at once (isAlive false, getThread no longer
// finds it) but its object stays valid until its factory dies, so that a kill through a pointer
// taken from ThreadPool::getThread just before the end is harmless.
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
    IRunnable* runnable;  // not owned
};
