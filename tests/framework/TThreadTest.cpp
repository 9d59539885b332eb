#include "platform/classlib/core/TThread.h"

#include "tests/framework/support/Signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

class Worker : public TThread {
public:
    ~Worker() override {
        TerminateAndWait();
        if (destroyed != nullptr) destroyed->raise();
    }
    std::atomic<int> executions{0};
    std::atomic<bool> sawTerminated{false};
    std::thread::id ranOn;
    bool waitForTerminate = false;
    bool throwInside = false;
    bool freeItself = false;
    Signal entered;
    Signal* destroyed = nullptr;
    std::atomic<bool>* finished = nullptr;

protected:
    void Execute() override {
        ++executions;
        ranOn = std::this_thread::get_id();
        if (freeItself) FreeOnTerminate = true;
        entered.raise();
        while (waitForTerminate && !Terminated()) std::this_thread::yield();
        sawTerminated = Terminated();
        ReturnValue = 7;
        if (finished != nullptr) *finished = true;
        if (throwInside) throw std::runtime_error("escapes Execute");
    }
};

}  // namespace

TEST(TThreadTest, CreatedSuspendedAndDestroyedWithoutRunning) {
    Signal destroyed;
    auto* worker = new Worker;
    worker->destroyed = &destroyed;
    delete worker;
    EXPECT_TRUE(destroyed.isRaised());
}

TEST(TThreadTest, ResumeRunsExecuteOnceOnAWorkerAndWaitForYieldsItsReturnValue) {
    Worker worker;
    worker.Resume();
    worker.Resume();
    EXPECT_EQ(worker.WaitFor(), 7u);
    EXPECT_EQ(worker.executions, 1);
    EXPECT_NE(worker.ranOn, std::this_thread::get_id());
    EXPECT_FALSE(worker.sawTerminated);
}

TEST(TThreadTest, DestructorAsksARunningWorkerToEndAndWaitsForIt) {
    std::atomic<bool> finished{false};
    auto* worker = new Worker;
    worker->waitForTerminate = true;
    worker->finished = &finished;
    worker->Resume();
    ASSERT_TRUE(worker->entered.wait());
    delete worker;
    EXPECT_TRUE(finished);
}

TEST(TThreadTest, TerminateIsOnlyARequest) {
    Worker worker;
    worker.waitForTerminate = true;
    worker.Resume();
    ASSERT_TRUE(worker.entered.wait());
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.sawTerminated);
}

TEST(TThreadTest, FreeOnTerminateDeletesTheObjectOnItsWorker) {
    Signal destroyed;
    auto* worker = new Worker;
    worker->freeItself = true;
    worker->destroyed = &destroyed;
    worker->Resume();
    EXPECT_TRUE(destroyed.wait());
}

TEST(TThreadTest, ExceptionEscapingExecuteEndsTheWorkerQuietly) {
    Worker worker;
    worker.throwInside = true;
    worker.Resume();
    EXPECT_EQ(worker.WaitFor(), 7u);
    EXPECT_EQ(worker.executions, 1);
}
