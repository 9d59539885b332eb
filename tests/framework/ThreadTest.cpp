#include "framework/Thread.h"

#include "framework/Exception.h"
#include "framework/IObserver.h"
#include "framework/IThread.h"
#include "framework/Observable.h"
#include "framework/Tarnwickfactory.h"
#include "framework/Threadpool.h"
#include "framework/Valueobject.h"
#include "tests/framework/support/Jobs.h"
#include "tests/framework/support/Signal.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

class ThreadTest : public ::testing::Test {
protected:
    bool registered(IRunnable* runnable) {
        try {
            ThreadPool::getThread(runnable);
            return true;
        } catch (const ThreadException&) {
            return false;
        }
    }

    Job job;
    std::unique_ptr<TarnwickFactory> factory = std::make_unique<TarnwickFactory>();
};

}  // namespace

TEST_F(ThreadTest, RunRunsTheRunnableOnTheCallingThread) {
    IThread* thread = threadFor(*factory, job);
    thread->run();
    EXPECT_EQ(job.runs, 1);
    EXPECT_EQ(job.ranOn, std::this_thread::get_id());
    EXPECT_TRUE(thread->isAlive());
    thread->sleep(1);
}

TEST_F(ThreadTest, StartRunsTheRunnableOnTheWorkerWhichStaysAliveUntilItsEnd) {
    job.holdUntilReleased = true;
    IThread* thread = threadFor(*factory, job);
    thread->start();
    ASSERT_TRUE(job.entered.wait());
    EXPECT_TRUE(thread->isAlive());
    EXPECT_EQ(ThreadPool::getThread(&job), thread);
    job.release.raise();
    thread->join();
    EXPECT_NE(job.ranOn, std::this_thread::get_id());
    EXPECT_FALSE(thread->isAlive());
    EXPECT_FALSE(registered(&job));
}

TEST_F(ThreadTest, KillDuringARunWaitsForItsEndAndDeregisters) {
    job.holdUntilReleased = true;
    IThread* thread = threadFor(*factory, job);
    thread->start();
    ASSERT_TRUE(job.entered.wait());
    // As the extraction's cancel does: the run's own flag first, then kill.
    job.release.raise();
    thread->kill();
    EXPECT_TRUE(job.finished);
    EXPECT_FALSE(registered(&job));
    factory.reset();
    EXPECT_EQ(job.runs, 1);
}

TEST_F(ThreadTest, KillOfAnUnstartedThreadNeverRunsIt) {
    threadFor(*factory, job)->kill();
    EXPECT_FALSE(registered(&job));
    factory.reset();
    EXPECT_EQ(job.runs, 0);
}

TEST_F(ThreadTest, KillAfterTheWorkerEndedByItselfDoesNothing) {
    job.holdUntilReleased = true;
    threadFor(*factory, job)->start();
    ASSERT_TRUE(job.entered.wait());
    // The cancel looks the thread up while the run is still going...
    IThread* found = ThreadPool::getThread(&job);
    // ...and the run ends before the kill arrives.
    job.release.raise();
    found->join();
    EXPECT_FALSE(found->isAlive());
    found->kill();
    found->kill();
    EXPECT_FALSE(registered(&job));
    factory.reset();
    EXPECT_EQ(job.runs, 1);
}

TEST_F(ThreadTest, KillFromInsideItsOwnRunDoesNotWaitForItself) {
    job.inside = [this] { ThreadPool::getThread(&job)->kill(); };
    IThread* thread = threadFor(*factory, job);
    thread->start();
    thread->join();
    EXPECT_TRUE(job.finished);
    EXPECT_FALSE(registered(&job));
}

namespace {

// A model whose run notifies without pause until it is told to stop, as the extraction run does.
class NotifyingJob : public Observable, public IRunnable {
public:
    void run() override {
        ValueObject values;
        values.setValue("status", "PROCESSING");
        while (!abortRequested) notifyObservers(&values);
        finished = true;
    }
    std::atomic<bool> abortRequested{false};
    std::atomic<bool> finished{false};
};

// An observer that hands every change over to the user-interface thread without waiting for it,
// and asks the registry on the way, as a progress view might.
class HandOverObserver : public IObserver {
public:
    explicit HandOverObserver(IRunnable* job) : job(job) {}
    void update(IObservable*, IValueObject* values) override {
        try {
            ThreadPool::getThread(job)->isAlive();
        } catch (const ThreadException&) {
        }
        {
            const std::lock_guard<std::mutex> lock(mutex);
            handedOver.push_back(values->getValue("status"));
        }
        if (++updates == 100) busy.raise();
    }
    std::vector<std::string> taken() {
        const std::lock_guard<std::mutex> lock(mutex);
        return handedOver;
    }
    std::atomic<int> updates{0};
    Signal busy;

private:
    IRunnable* job;
    std::mutex mutex;
    std::vector<std::string> handedOver;
};

}  // namespace

TEST_F(ThreadTest, KillDoesNotDeadlockWithAWorkerBusyNotifying) {
    NotifyingJob notifying;
    HandOverObserver observer(&notifying);
    notifying.addObserver(&observer);
    factory->registerCreatedObject(static_cast<IRunnable*>(&notifying), &notifying);
    factory->createThread(&notifying)->start();
    ASSERT_TRUE(observer.busy.wait());

    // The cancel: look-up (while the worker surely runs), flag, its own notification on this
    // thread while the worker may still notify, then kill.
    IThread* thread = ThreadPool::getThread(&notifying);
    notifying.abortRequested = true;
    ValueObject aborted;
    aborted.setValue("status", "ABORTED");
    notifying.notifyObservers(&aborted);
    thread->kill();

    EXPECT_TRUE(notifying.finished);
    const int updatesAtKill = observer.updates;
    const std::vector<std::string> taken = observer.taken();
    EXPECT_EQ(static_cast<int>(taken.size()), updatesAtKill);
    EXPECT_EQ(std::count(taken.begin(), taken.end(), "ABORTED"), 1);
    factory.reset();
    EXPECT_EQ(observer.updates, updatesAtKill);
}

TEST_F(ThreadTest, EndOfRunRacingLookUpAndKillIsSafe) {
    std::deque<Job> jobs;
    for (int i = 0; i < 200; ++i) {
        Job& quick = jobs.emplace_back();
        threadFor(*factory, quick)->start();
        try {
            ThreadPool::getThread(&quick)->kill();
        } catch (const ThreadException&) {
            // Already over.
        }
        EXPECT_FALSE(registered(&quick));
    }
    factory.reset();
    for (Job& quick : jobs) EXPECT_LE(quick.runs, 1);
}

TEST_F(ThreadTest, ReleasingTheFactoryWhileAWorkerRunsWaitsForItAndReleasesItOnce) {
    job.holdUntilReleased = true;
    threadFor(*factory, job)->start();
    ASSERT_TRUE(job.entered.wait());
    std::atomic<bool> finishedWhenReleased{false};
    // The program's exit during an extraction.
    std::thread exiting([&] {
        factory.reset();
        finishedWhenReleased = job.finished.load();
    });
    job.release.raise();
    exiting.join();
    EXPECT_TRUE(finishedWhenReleased);
    EXPECT_FALSE(registered(&job));
    EXPECT_EQ(job.runs, 1);
}

namespace {

std::size_t threadCount() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        (void)entry;
        ++count;
    }
    return count;
}

// The address space the process has mapped, in bytes: a thread nobody joined keeps its stack
// there after it has ended.
long long mappedBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmSize:", 0) == 0) return std::stoll(line.substr(7)) * 1024;
    }
    return -1;
}

std::size_t defaultStackBytes() {
    pthread_attr_t attributes;
    std::size_t size = 0;
    if (pthread_getattr_default_np(&attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &size);
        pthread_attr_destroy(&attributes);
    }
    return size;
}

}  // namespace

// The factory lives on, as the application's does across a session of extractions: every worker
// that ended by itself must have given its thread back, not only deregistered.
TEST_F(ThreadTest, AHundredRunsThatEndByThemselvesLeaveNoThreadBehind) {
    // One run first: a sanitizer starts a thread of its own with the first thread of the process.
    Job first;
    IThread* warmUp = threadFor(*factory, first);
    warmUp->start();
    warmUp->join();
    const std::size_t threadsBefore = threadCount();
    const long long bytesBefore = mappedBytes();
    ASSERT_GT(bytesBefore, 0);
    std::deque<Job> jobs;
    for (int i = 0; i < 100; ++i) {
        Job& quick = jobs.emplace_back();
        // Every other run leaves by the kill of its own run, the other way a worker ends itself.
        if (i % 2 == 1) quick.inside = [&quick] { ThreadPool::getThread(&quick)->kill(); };
        IThread* thread = threadFor(*factory, quick);
        thread->start();
        thread->join();
        EXPECT_FALSE(thread->isAlive());
    }
    // The last worker may still be on its way out of the system.
    for (int wait = 0; wait < 1000 && threadCount() > threadsBefore; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LE(threadCount(), threadsBefore);
    // The system may keep a few stacks for reuse; a hundred kept ones would be all of them.
    const long long grown = mappedBytes() - bytesBefore;
    EXPECT_LT(grown, static_cast<long long>(defaultStackBytes()) * 100 / 2)
        << grown / (1024 * 1024) << " MiB more mapped after 100 runs";
    for (Job& quick : jobs) EXPECT_EQ(quick.runs, 1);
}
