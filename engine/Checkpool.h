#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// The threads on which a run checks candidates side by side: each task runs once, on one of them
// or on the run's own thread, taken in the order given; the run waits for the tasks one by one,
// in the order of its scan.
//
// Handing a task to another thread costs a lock on both sides and, when a thread sleeps, a system
// call, which a check rejected in a microsecond must not pay each: tasks go over in groups, as
// many as take about a tenth of a millisecond by the time the last ones took, and a group that no
// thread has begun when the run needs one of its answers is run by the run at once.
class CheckPool {
public:
    class Task {
    public:
        virtual ~Task() = default;
        // On the thread numbered worker: below threads() for the pool's own, threads() for the
        // run's. Nothing may leave it.
        virtual void check(unsigned worker) = 0;

    private:
        friend class CheckPool;
        std::atomic<bool> finished{false};
        // The group it went over in; under the pool's mutex.
        std::size_t group = 0;
    };

    explicit CheckPool(unsigned threads);
    // Waits for the tasks running; those not begun are dropped.
    ~CheckPool();
    CheckPool(const CheckPool&) = delete;
    CheckPool& operator=(const CheckPool&) = delete;

    unsigned threads() const { return static_cast<unsigned>(workers.size()); }
    // How many tasks may be out at once so that every thread has groups to take.
    std::size_t capacity() const;

    // task stays the caller's and must live until wait has returned for it. submit, wake and
    // wait are the run's thread's only.
    void submit(Task* task);
    // Hands over what was submitted.
    void wake();
    // Runs task on the run's thread now, as a task none of the threads took.
    void runHere(Task* task);
    bool isFinished(const Task* task) const { return task->finished.load(); }
    // Until task has run: here, with its group, when no thread has begun that.
    void wait(Task* task);

private:
    struct Group {
        std::size_t number;
        std::vector<Task*> tasks;
    };

    std::size_t groupSize() const;
    void runGroup(std::vector<Task*>& tasks, unsigned worker);
    void work(unsigned worker);

    std::mutex mutex;
    std::condition_variable queued;
    std::condition_variable done;
    std::deque<Group> groups;
    std::vector<Task*> gathered;
    std::size_t nextGroup = 1;
    std::size_t begunUpTo = 0;
    unsigned idle = 0;
    std::atomic<const Task*> awaited{nullptr};
    // What a task took lately, in nanoseconds: a running average over all threads.
    std::atomic<std::uint64_t> taskNanos{0};
    bool stopping = false;
    std::vector<std::thread> workers;
};
