#include "framework/Threadpool.h"

#include "framework/Exception.h"
#include "framework/IThread.h"
#include "framework/Tarnwickfactory.h"
#include "framework/Thread.h"
#include "tests/framework/support/Jobs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

class ThreadPoolTest : public ::testing::Test {
protected:
    ITarnwickFactory* face() { return factory.get(); }

    Job job;
    Job otherJob;
    std::unique_ptr<TarnwickFactory> factory = std::make_unique<TarnwickFactory>();
};

std::string threadExceptionOf(IRunnable* runnable) {
    try {
        ThreadPool::getThread(runnable);
    } catch (const ThreadException& e) {
        return e.getMessage();
    }
    return "found";
}

const std::string noThread = "指定されたランナーに対応するスレッドはありません。";

}  // namespace

TEST_F(ThreadPoolTest, FactoryRefusesRunnablesItDidNotHandOut) {
    TarnwickFactory other;
    other.registerCreatedObject(static_cast<IRunnable*>(&job), &job);
    for (IRunnable* runnable : {static_cast<IRunnable*>(&job), static_cast<IRunnable*>(&otherJob),
                                static_cast<IRunnable*>(nullptr)}) {
        try {
            factory->createThread(runnable);
            ADD_FAILURE() << "accepted a foreign runnable";
        } catch (const FactoryException& e) {
            EXPECT_EQ(e.getMessage(), "指定されたランナーはこのファクトリでインスタンス化されたものではありません。");
        }
        EXPECT_EQ(threadExceptionOf(runnable), noThread);
    }
    EXPECT_EQ(ThreadPool::releaseThreads(face()), 0);
}

TEST_F(ThreadPoolTest, UnstartedThreadIsRegisteredAndReleasedWithItsFactoryWithoutRunning) {
    IThread* thread = threadFor(*factory, job);
    EXPECT_TRUE(thread->isAlive());
    EXPECT_EQ(ThreadPool::getThread(&job), thread);
    factory.reset();
    EXPECT_EQ(job.runs, 0);
    EXPECT_EQ(threadExceptionOf(&job), noThread);
}

TEST_F(ThreadPoolTest, RunnableIsNoLongerFoundOnceItsRunReturnedOrThrew) {
    for (bool throws : {false, true}) {
        SCOPED_TRACE(throws);
        Job ending;
        ending.throwInside = throws;
        IThread* thread = threadFor(*factory, ending);
        thread->start();
        thread->join();
        EXPECT_EQ(ending.runs, 1);
        EXPECT_FALSE(thread->isAlive());
        EXPECT_EQ(threadExceptionOf(&ending), noThread);
        factory = std::make_unique<TarnwickFactory>();
    }
}

TEST_F(ThreadPoolTest, LaterThreadForARunnableTakesOverTheLookupAndKeepsIt) {
    IThread* first = threadFor(*factory, job);
    IThread* second = factory->createThread(&job);
    EXPECT_EQ(ThreadPool::getThread(&job), second);
    // Ending the older thread must not hide the newer one, which still runs the runnable.
    first->kill();
    EXPECT_EQ(ThreadPool::getThread(&job), second);
    EXPECT_TRUE(second->isAlive());
    second->kill();
    EXPECT_EQ(threadExceptionOf(&job), noThread);
    EXPECT_EQ(job.runs, 0);
}

TEST_F(ThreadPoolTest, ReleasingAFactoryWhoseThreadsEndedForgetsItOnce) {
    IThread* thread = threadFor(*factory, job);
    thread->start();
    thread->join();
    EXPECT_EQ(ThreadPool::releaseThreads(face()), 1);
    EXPECT_EQ(ThreadPool::releaseThreads(face()), 0);
    // The factory's own release at its destruction finds nothing left.
    factory.reset();
    EXPECT_EQ(job.runs, 1);
}

TEST_F(ThreadPoolTest, UnknownThreadsAndFactoriesAreNoFailure) {
    Thread stray(nullptr);
    EXPECT_FALSE(ThreadPool::containsThread(&stray));
    EXPECT_FALSE(ThreadPool::removeThread(&stray));
    EXPECT_EQ(ThreadPool::releaseThreads(face()), 0);
    EXPECT_FALSE(stray.isAlive());
}

TEST_F(ThreadPoolTest, ThreadsAreFiledUnderTheFactoryThatMadeThem) {
    TarnwickFactory other;
    IThread* mine = threadFor(*factory, job);
    IThread* theirs = threadFor(other, otherJob);
    EXPECT_EQ(ThreadPool::releaseThreads(face()), 1);
    EXPECT_EQ(threadExceptionOf(&job), noThread);
    EXPECT_EQ(ThreadPool::getThread(&otherJob), theirs);
    EXPECT_TRUE(theirs->isAlive());
    (void)mine;
}
