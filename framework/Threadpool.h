#pragma once

class IRunnable;
class IThread;
class ITarnwickFactory;
class Thread;

// The process-wide registry of worker threads: which factory made each, and which thread runs a
// runnable. The user-interface thread and every worker (once, at the end of its run) use it, so
// every operation takes one lock; no operation waits for a worker while holding it.
class ThreadPool {
public:
    ThreadPool() = delete;

    // A thread already listed for the creator keeps its runnable; a newer thread for the same
    // runnable takes over getThread. The creator's threads that have ended by themselves since
    // its last thread are deleted now.
    static void addThread(ITarnwickFactory* creator, Thread* thread, IRunnable* runnable);
    // Deregisters the thread; false when it was not registered.
    static bool removeThread(Thread* thread);
    // Deletes every thread the factory made, waiting for any that still runs (one never started
    // is let go without running), and forgets the factory. 1 when the factory was known, else 0.
    static int releaseThreads(ITarnwickFactory* factory);
    static bool containsThread(Thread* thread);
    // ThreadException when no registered thread runs the runnable.
    static IThread* getThread(IRunnable* runnable);

private:
    friend class Thread;
    // removeThread for a worker that ended by itself: when it was still registered, the object is
    // kept for its factory to delete. Done under one lock, so that a releaseThreads in between
    // cannot miss it.
    static bool retireThread(Thread* thread);
};
