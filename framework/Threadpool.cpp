#include "framework/Threadpool.h"

#include "framework/Exception.h"
#include "framework/Thread.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct Registry {
    std::mutex lock;
    std::map<ITarnwickFactory*, std::map<Thread*, IRunnable*>> threadsByFactory;
    std::map<Thread*, ITarnwickFactory*> factoryByThread;
    std::map<IRunnable*, Thread*> threadByRunnable;
    // Threads whose workers ended by themselves, kept for their factory to delete.
    std::map<ITarnwickFactory*, std::vector<Thread*>> endedByFactory;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// Expects the lock held. Returns the creator, or null when the thread was not registered.
ITarnwickFactory* deregister(Registry& r, Thread* thread) {
    const auto found = r.factoryByThread.find(thread);
    if (found == r.factoryByThread.end()) return nullptr;
    ITarnwickFactory* creator = found->second;
    const auto threads = r.threadsByFactory.find(creator);
    if (threads != r.threadsByFactory.end()) {
        const auto listed = threads->second.find(thread);
        if (listed != threads->second.end()) {
            // A newer thread for the same runnable keeps the lookup.
            const auto byRunnable = r.threadByRunnable.find(listed->second);
            if (byRunnable != r.threadByRunnable.end() && byRunnable->second == thread) {
                r.threadByRunnable.erase(byRunnable);
            }
            threads->second.erase(listed);
        }
    }
    r.factoryByThread.erase(found);
    return creator;
}

}  // namespace

void ThreadPool::addThread(ITarnwickFactory* creator, Thread* thread, IRunnable* runnable) {
    std::vector<Thread*> ended;
    {
        Registry& r = registry();
        const std::lock_guard<std::mutex> lock(r.lock);
        r.threadsByFactory[creator].emplace(thread, runnable);
        r.factoryByThread[thread] = creator;
        r.threadByRunnable[runnable] = thread;
        const auto found = r.endedByFactory.find(creator);
        if (found != r.endedByFactory.end()) {
            ended.swap(found->second);
            r.endedByFactory.erase(found);
        }
    }
    // Their system threads are gone already; what is left is small, and waits no longer than
    // the last steps of a worker that is just ending.
    for (Thread* done : ended) delete done;
}

bool ThreadPool::removeThread(Thread* thread) {
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.lock);
    return deregister(r, thread) != nullptr;
}

bool ThreadPool::retireThread(Thread* thread) {
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.lock);
    ITarnwickFactory* creator = deregister(r, thread);
    if (creator == nullptr) return false;
    r.endedByFactory[creator].push_back(thread);
    return true;
}

int ThreadPool::releaseThreads(ITarnwickFactory* factory) {
    std::vector<Thread*> doomed;
    {
        Registry& r = registry();
        const std::lock_guard<std::mutex> lock(r.lock);
        const auto threads = r.threadsByFactory.find(factory);
        // Threads end only while registered, and so while their factory has an entry.
        if (threads == r.threadsByFactory.end()) return 0;
        for (const auto& [thread, runnable] : threads->second) {
            const auto byRunnable = r.threadByRunnable.find(runnable);
            if (byRunnable != r.threadByRunnable.end() && byRunnable->second == thread) {
                r.threadByRunnable.erase(byRunnable);
            }
            // Deregistered here, so a worker that ends while we wait for it leaves itself to us.
            r.factoryByThread.erase(thread);
            doomed.push_back(thread);
        }
        r.threadsByFactory.erase(threads);
        const auto ended = r.endedByFactory.find(factory);
        if (ended != r.endedByFactory.end()) {
            doomed.insert(doomed.end(), ended->second.begin(), ended->second.end());
            r.endedByFactory.erase(ended);
        }
    }
    // Outside the lock: a running worker needs it once more at its end, and its run may use the
    // registry too.
    for (Thread* thread : doomed) delete thread;
    return 1;
}

bool ThreadPool::containsThread(Thread* thread) {
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.lock);
    return r.factoryByThread.count(thread) != 0;
}

IThread* ThreadPool::getThread(IRunnable* runnable) {
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.lock);
    const auto found = r.threadByRunnable.find(runnable);
    if (found == r.threadByRunnable.end()) {
        throw ThreadException("指定されたランナーに対応するスレッドはありません。", "ThreadPool::getThread");
    }
    return found->second;
}
