#include "platform/classlib/core/TThread.h"

TThread::TThread() = default;

TThread::~TThread() { TerminateAndWait(); }

void TThread::Resume() {
    const std::lock_guard<std::mutex> lock(mutex);
    if (started) return;
    started = true;
    // The worker takes the lock before it looks at anything, so it sees worker assigned.
    worker = std::thread(&TThread::ThreadProc, this);
}

void TThread::Terminate() { terminated = true; }

bool TThread::Terminated() const { return terminated; }

unsigned TThread::WaitFor() {
    std::unique_lock<std::mutex> lock(mutex);
    finishedChanged.wait(lock, [this] { return finished; });
    return ReturnValue;
}

bool TThread::IsCurrentThread() {
    const std::lock_guard<std::mutex> lock(mutex);
    return started && worker.get_id() == std::this_thread::get_id();
}

void TThread::TerminateAndWait() {
    Terminate();
    std::unique_lock<std::mutex> lock(mutex);
    if (!started) return;
    if (worker.joinable() && worker.get_id() == std::this_thread::get_id()) {
        // Deleted by its own worker (FreeOnTerminate): nothing to wait for.
        worker.detach();
        return;
    }
    // Until Execute has returned the worker may still detach itself; after that it no longer
    // changes, and a detached worker touches this object no more.
    finishedChanged.wait(lock, [this] { return finished; });
    if (!worker.joinable()) return;
    std::thread ending = std::move(worker);
    lock.unlock();
    ending.join();
}

void TThread::ReleaseWorkerAtEnd() {
    const std::lock_guard<std::mutex> lock(mutex);
    releaseAtEnd = true;
}

void TThread::ThreadProc(TThread* thread) {
    {
        const std::lock_guard<std::mutex> lock(thread->mutex);
    }
    try {
        // Terminated before it began (its owner is deleting it): let it go without running.
        if (!thread->Terminated()) thread->Execute();
    } catch (...) {
        // Nobody could take it here; the worker ends all the same.
    }
    const bool freeOnTerminate = thread->FreeOnTerminate;
    {
        const std::lock_guard<std::mutex> lock(thread->mutex);
        thread->finished = true;
        if (thread->releaseAtEnd) thread->worker.detach();
        thread->finishedChanged.notify_all();
    }
    if (freeOnTerminate) delete thread;
}
