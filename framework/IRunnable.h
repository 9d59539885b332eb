#pragma once

// A unit of work that a worker thread runs (see IThread). run does the whole work on the calling
// thread and returns when it is done.
class IRunnable {
public:
    virtual void run() = 0;

protected:
    ~IRunnable() = default;
};
