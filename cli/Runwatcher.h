#pragma once

#include "framework/IObserver.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class FindReport;
class IExtractModel;

// Watches one run for the command line: the log lines and the finds as they come (on the
// worker), the progress line on a terminal (drawn by the waiting thread), and the run's end.
class RunWatcher : public IObserver {
public:
    // report may be closed (no report asked for); both outlive the watcher.
    RunWatcher(IExtractModel* model, FindReport& report, bool showLog, bool showProgress);

    void update(IObservable* source, IValueObject* values) override;

    // Waits up to the given time for the end; true once the run has ended.
    bool waitForEnd(std::chrono::milliseconds time);
    // Redraws the progress line (when it is shown).
    void drawProgress();
    // Takes the progress line off the terminal.
    void clearProgress();

    std::string ending();
    std::string endingLog();
    bool reportFailed();

    // The stretches of the inputs that could not be read, and the finds written with zeros for
    // such bytes, as told.
    struct Unreadable {
        std::string input;
        std::uint64_t offset;
        std::uint64_t size;
    };
    std::vector<Unreadable> unreadable();
    std::vector<std::string> damaged();

private:
    void print(const std::string& line);
    void eraseProgressLocked();

    IExtractModel* model;
    FindReport& report;
    bool showLog;
    bool showProgress;

    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    std::string endStatus;
    std::string endLog;
    bool reportBroken = false;
    std::vector<Unreadable> unreadableRanges;
    std::vector<std::string> damagedFinds;
    bool progressShown = false;
    std::chrono::steady_clock::time_point begin = std::chrono::steady_clock::now();
};
