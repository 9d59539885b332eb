#pragma once

#include <functional>
#include <memory>

// Hands work from any thread to the user-interface thread. Post never waits for that thread: it
// appends the call and returns, and the calls run on the user-interface thread in the order they
// were posted, during its next pass through a message loop (a modal loop included). Make and
// destroy the queue on the user-interface thread; calls still waiting when it is destroyed are
// dropped and never run. An exception from a call goes to TApplication::HandleException.
class TMainThreadQueue {
public:
    TMainThreadQueue();
    ~TMainThreadQueue();
    TMainThreadQueue(const TMainThreadQueue&) = delete;
    TMainThreadQueue& operator=(const TMainThreadQueue&) = delete;

    void Post(std::function<void()> call);
    // Runs the waiting calls now; on the user-interface thread only.
    void Flush();

    struct State;

private:
    std::shared_ptr<State> state;
};
