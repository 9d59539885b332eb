#include "framework/Thread.h"

#include "framework/IRunnable.h"
#include "framework/Threadpool.h"
#include "platform/os/Program.h"

Thread::Thread(IRunnable* runnable) : runnable(runnable) {}

Thread::~Thread() {
    // Execute runs members of this class: the worker must be done before they go.
    TerminateAndWait();
}

void Thread::Execute() {
    // However the run ends. The worker never deletes itself: when still registered its factory
    // takes it over, otherwise kill or releaseThreads already owns it and is waiting.
    struct EndOfRun {
        Thread* thread;
        ~EndOfRun() { thread->retire(); }
    } endOfRun{this};
    run();
}

void Thread::retire() {
    if (ThreadPool::retireThread(this)) ReleaseWorkerAtEnd();
}

void Thread::run() {
    if (runnable != nullptr) runnable->run();
}

void Thread::start() { Resume(); }

void Thread::sleep(std::uint32_t milliseconds) { os::sleep(milliseconds); }

void Thread::join() { WaitFor(); }

void Thread::kill() {
    if (IsCurrentThread()) {
        // Called from inside the run: the worker cannot wait for itself. It is handed to its
        // factory like a worker that ends by itself.
        if (ThreadPool::retireThread(this)) {
            ReleaseWorkerAtEnd();
            Terminate();
        }
        return;
    }
    // Whoever deregisters the thread owns it. A worker that has already ended by itself, or a
    // second kill, finds it deregistered and leaves it alone.
    if (!ThreadPool::removeThread(this)) return;
    // Asks the worker to end and waits until it has (a never-started worker is let go without
    // running); never forced.
    delete this;
}

bool Thread::isAlive() { return ThreadPool::containsThread(this); }
