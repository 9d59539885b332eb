#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The class library's thread: a worker that runs Execute once. It is always created suspended
// (a worker started from the constructor would run before the subclass is constructed); Resume
// starts it.
//
// Ending: Terminate only sets Terminated, which Execute is expected to poll; nothing ever stops a
// worker by force. With FreeOnTerminate set, the worker deletes the object after Execute returns,
// and then no one else may touch it. Otherwise the object's owner deletes it; the destructor lets
// a worker that was never started go without running Execute, and waits for one that runs.
// Execute may ask for its system thread to be let go as soon as it returns (ReleaseWorkerAtEnd):
// nobody then needs to join it for its stack to be given back, and the object, which the worker
// no longer touches once it has finished, may be deleted later from any thread.
//
// An exception that escapes Execute ends the worker quietly.
class TThread {
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts the worker; a second call does nothing.
    void Resume();
    void Terminate();
    // Waits until Execute has returned and yields ReturnValue. Blocks for ever on a worker that
    // was never started; must not be called from the worker itself, nor on a FreeOnTerminate
    // thread, which may be gone by the time it returns.
    unsigned WaitFor();

    // Read by the worker when Execute has returned.
    std::atomic<bool> FreeOnTerminate{false};

protected:
    virtual void Execute() = 0;
    bool Terminated() const;
    // Whether the caller runs on this object's worker.
    bool IsCurrentThread();
    // What the destructor does first: Terminate, then wait for a started worker (not when called
    // on the worker itself). A subclass whose Execute uses the subclass's own members calls it at
    // the start of its destructor, since by the time ~TThread runs those members are gone.
    void TerminateAndWait();
    // Called by Execute: when it returns, the system thread is detached rather than left for a
    // join. WaitFor and the destructor still wait for Execute to have returned.
    void ReleaseWorkerAtEnd();

    unsigned ReturnValue = 0;

private:
    static void ThreadProc(TThread* thread);

    std::mutex mutex;
    std::condition_variable finishedChanged;
    std::thread worker;
    bool started = false;
    bool finished = false;
    bool releaseAtEnd = false;
    std::atomic<bool> terminated{false};
};
