#include "engine/Checkpool.h"

#include <algorithm>
#include <chrono>

namespace {

// What one group should take, and the bounds of its size.
constexpr std::uint64_t groupNanos = 100000;
constexpr std::size_t largestGroup = 64;
// Groups out per thread.
constexpr std::size_t groupsPerThread = 4;

}  // namespace

CheckPool::CheckPool(unsigned threads) {
    workers.reserve(threads);
    for (unsigned worker = 0; worker < threads; ++worker) {
        workers.emplace_back([this, worker] { work(worker); });
    }
}

CheckPool::~CheckPool() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        groups.clear();
    }
    queued.notify_all();
    for (std::thread& worker : workers) worker.join();
}

std::size_t CheckPool::groupSize() const {
    const std::uint64_t nanos = std::max<std::uint64_t>(taskNanos.load(std::memory_order_relaxed), 1);
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(groupNanos / nanos, 1, largestGroup));
}

std::size_t CheckPool::capacity() const { return groupSize() * groupsPerThread * std::max<std::size_t>(threads(), 1); }

void CheckPool::submit(Task* task) {
    task->finished.store(false);
    gathered.push_back(task);
    if (gathered.size() >= groupSize()) wake();
}

void CheckPool::wake() {
    if (gathered.empty()) return;
    bool wakeOne = false;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        for (Task* task : gathered) task->group = nextGroup;
        groups.push_back(Group{nextGroup++, std::move(gathered)});
        wakeOne = idle > 0;
    }
    gathered.clear();
    if (wakeOne) queued.notify_one();
}

void CheckPool::runGroup(std::vector<Task*>& tasks, unsigned worker) {
    for (Task* task : tasks) {
        const auto started = std::chrono::steady_clock::now();
        task->check(worker);
        const auto took = static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - started).count());
        const std::uint64_t average = taskNanos.load(std::memory_order_relaxed);
        taskNanos.store(average - average / 16 + took / 16, std::memory_order_relaxed);
        task->finished.store(true);
    }
}

void CheckPool::runHere(Task* task) {
    task->finished.store(false);
    task->check(threads());
    task->finished.store(true);
}

void CheckPool::wait(Task* task) {
    if (task->finished.load()) return;
    if (std::find(gathered.begin(), gathered.end(), task) != gathered.end()) wake();
    std::unique_lock<std::mutex> lock(mutex);
    if (task->finished.load()) return;
    if (task->group > begunUpTo) {
        // Groups are begun in order, so the task's is the first not begun: run here.
        Group group = std::move(groups.front());
        groups.pop_front();
        begunUpTo = group.number;
        const bool more = !groups.empty() && idle > 0;
        lock.unlock();
        if (more) queued.notify_one();
        runGroup(group.tasks, threads());
        return;
    }
    awaited.store(task);
    done.wait(lock, [task] { return task->finished.load(); });
    awaited.store(nullptr);
}

void CheckPool::work(unsigned worker) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        ++idle;
        queued.wait(lock, [this] { return stopping || !groups.empty(); });
        --idle;
        if (stopping) return;
        Group group = std::move(groups.front());
        groups.pop_front();
        begunUpTo = group.number;
        // The next thread for what is left.
        if (!groups.empty() && idle > 0) queued.notify_one();
        lock.unlock();
        runGroup(group.tasks, worker);
        const bool told = std::any_of(group.tasks.begin(), group.tasks.end(),
                                      [this](const Task* task) { return awaited.load() == task; });
        lock.lock();
        // The run, should it wait for one of these, is told under the lock, so that it cannot
        // miss it between its look and its wait.
        if (told) done.notify_one();
    }
}
