#include "platform/classlib/TMainThreadQueue.h"

#include "platform/classlib/Qtsupport.h"

#include <QCoreApplication>

#include <deque>
#include <mutex>

struct TMainThreadQueue::State {
    std::mutex mutex;
    std::deque<std::function<void()>> calls;
    bool alive = true;

    // Takes the oldest call; false when there is none or the queue is gone.
    bool take(std::function<void()>& call)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!alive || calls.empty()) {
            return false;
        }
        call = std::move(calls.front());
        calls.pop_front();
        return true;
    }
};

namespace {

void runOne(const std::shared_ptr<TMainThreadQueue::State>& state)
{
    std::function<void()> call;
    if (state->take(call)) {
        classlib::dispatch(nullptr, call);
    }
}

}  // namespace

TMainThreadQueue::TMainThreadQueue() : state(std::make_shared<State>())
{
    classlib::ensureApplication();
}

TMainThreadQueue::~TMainThreadQueue()
{
    std::lock_guard<std::mutex> lock(state->mutex);
    state->alive = false;
    state->calls.clear();
}

void TMainThreadQueue::Post(std::function<void()> call)
{
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (!state->alive) {
            return;
        }
        state->calls.push_back(std::move(call));
    }
    // One event per call, each running the oldest waiting call: the order holds, and a call that
    // opens a modal loop does not hold back the ones after it. The weak pointer lets events that
    // outlive the queue find it gone.
    std::weak_ptr<State> weak = state;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weak] {
            if (std::shared_ptr<State> alive = weak.lock()) {
                runOne(alive);
            }
        },
        Qt::QueuedConnection);
}

void TMainThreadQueue::Flush()
{
    std::function<void()> call;
    while (state->take(call)) {
        classlib::dispatch(nullptr, call);
    }
}
