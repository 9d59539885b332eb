#include "platform/classlib/TButton.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TMainThreadQueue.h"
#include "platform/classlib/core/Sysutils.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using classlibtest::ClasslibTest;
using classlibtest::later;

// Pumps the user-interface thread's events until done holds, for at most a generous bound.
template <typename Condition>
bool pumpUntil(Condition done)
{
    QDeadlineTimer deadline(30000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return done();
}

class MainThreadQueueTest : public ClasslibTest {};

// The worker posts everything and ends while the user-interface thread handles no event at all:
// posting never waits for that thread. The calls then run there, in posting order.
TEST_F(MainThreadQueueTest, AWorkersCallsRunOnTheUserInterfaceThreadInOrderWithoutBlockingIt)
{
    const int count = 2000;
    TMainThreadQueue queue;
    std::vector<int> ran;
    std::atomic<bool> wrongThread{false};
    const std::thread::id uiThread = std::this_thread::get_id();
    std::thread worker([&] {
        for (int i = 0; i < count; ++i) {
            queue.Post([&, i] {
                if (std::this_thread::get_id() != uiThread) {
                    wrongThread = true;
                }
                ran.push_back(i);
            });
        }
    });
    worker.join();
    EXPECT_TRUE(ran.empty());
    ASSERT_TRUE(pumpUntil([&] { return ran.size() == static_cast<std::size_t>(count); }));
    EXPECT_FALSE(wrongThread);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(i, ran[static_cast<std::size_t>(i)]);
    }
}

// The extraction dialog's case: a modal form whose loop drains the queue, with a call that closes
// the form; the calls posted before it have all run by then.
TEST_F(MainThreadQueueTest, CallsRunInsideAModalLoopAndMayEndIt)
{
    TForm form(static_cast<TComponent*>(nullptr));
    TMainThreadQueue queue;
    std::vector<int> ran;
    std::thread worker;
    later([&] {
        worker = std::thread([&] {
            for (int i = 0; i < 100; ++i) {
                queue.Post([&ran, i] { ran.push_back(i); });
            }
            queue.Post([&form] { form.Close(); });
        });
    });
    EXPECT_EQ(mrCancel, form.ShowModal());
    worker.join();
    EXPECT_EQ(100u, ran.size());
}

TEST_F(MainThreadQueueTest, FlushRunsWaitingCallsAndADestroyedQueueDropsItsOwn)
{
    std::vector<int> ran;
    {
        TMainThreadQueue queue;
        queue.Post([&] { ran.push_back(1); });
        queue.Post([&] { throw Sysutils::Exception("後で"); });
        queue.Post([&] { ran.push_back(3); });
        queue.Flush();
        EXPECT_EQ((std::vector<int>{1, 3}), ran);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("後で.", boxes[0].Text);
        queue.Post([&] { ran.push_back(4); });
    }
    classlibtest::drainEvents();
    EXPECT_EQ((std::vector<int>{1, 3}), ran);
}

}  // namespace
