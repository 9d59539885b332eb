#pragma once

#include "engine/IExtractModel.h"
#include "engine/Runreport.h"
#include "framework/Observable.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class IConfigModel;
class IPluginModel;
class IValueObject;

// The extraction model. Its run (ExtractRun) scans every input for the data the enabled plug-ins
// recognise and lets them extract it into numbered files below the output folder.
//
// Threads. The run executes on a worker and writes the counters; the user interface reads them at
// any time, so they are atomics. abort comes from the user-interface thread and never waits for
// the worker. Every job has a number; the run's notifications and abort's "ABORTED" are sent
// under one lock, and once a job's cancel has been announced, or its final status sent, that
// job's run is silent. A run waits for the run before it to end, so a new job never overlaps the
// last call of a cancelled one, and it works on a copy of the folder and inputs taken when it
// begins, so the next job can be set up while it finishes.
class ExtractModel : public Observable,
                     public virtual IObservable,
                     public virtual IRunnable,
                     public virtual IExtractModel {
public:
    // Neither model is owned; both must outlive this one.
    ExtractModel(IConfigModel* configModel, IPluginModel* pluginModel);
    ~ExtractModel() override;

    std::string getOutputDirectory() override;
    void setOutputDirectory(std::string folder) override;
    void addInputFile(std::string path) override;
    void clearInputFiles() override;
    void prepare() override;
    void abort() override;
    unsigned getInputFileCount() override;
    unsigned getCurrentFileIndex() override;
    unsigned getExtractedCount() override;
    void getCurrentFileSize(unsigned* high, unsigned* low) override;
    void getCurrentPosition(unsigned* high, unsigned* low) override;
    void getTotalSize(unsigned* high, unsigned* low) override;
    void getProcessedSize(unsigned* high, unsigned* low) override;
    std::string getTotalSizeText() override;
    unsigned getUnwrittenCount() override;
    std::vector<ExtractFailedInput> getFailedInputs() override;
    std::map<std::string, unsigned> getExtractedCountsByKind() override;
    void setExtractedKinds(std::vector<std::string> kinds) override;
    void setExcludedPlugins(std::vector<std::string> ids) override;

    void run() override;

    // false makes later runs ignore the plug-ins' signatures and offer every plug-in every
    // position, as plug-ins without signatures are offered. The outputs and notifications are
    // the same either way; only the time differs. For comparisons (tests, benchmarks).
    void setSignaturesUsed(bool used);
    // How many threads later runs check candidates on, beside the run's own, for the plug-ins that
    // promise concurrent calls; 0 (the default) checks every candidate on the run's thread. The
    // outputs and notifications are the same for every count. automaticThreads: one per processor
    // but the run's, at most maxCheckThreads. One thread stays the default until the threads are
    // shown faster over the real-data corpus (bench/README.md): on a loaded machine the hand-over
    // of each candidate cost more than it saved.
    void setCheckThreads(unsigned threads);
    static constexpr unsigned automaticThreads = ~0u;
    static constexpr unsigned maxCheckThreads = 16;
    // What a run started now would use.
    unsigned checkThreadCount() const;

    // The run's blocks: positions per block plus the largest window each, as many as fit the
    // budget (one scanned, the others read ahead), two at the least. A block never takes more
    // than maxBufferSize, so that two stay within the budget whatever window a plug-in asks for.
    static constexpr std::uint32_t blockPositions = 1u << 20;
    static constexpr std::uint32_t maxBufferSize = 32u << 20;
    static constexpr std::uint64_t bufferBudget = 2 * std::uint64_t{maxBufferSize};
    // A plug-in asking for a larger window, or for none at all, is left out with a log line.
    static constexpr std::uint32_t maxWindowSize = maxBufferSize - blockPositions;

private:
    friend class ExtractRun;

    // For the run.
    std::uint64_t beginJob();
    bool isCancelled(std::uint64_t job) const;
    // Sends unless the job has been cancelled with an announcement or has ended; final marks the
    // job's end. False when nothing was sent.
    bool notify(std::uint64_t job, IValueObject* payload, bool final);

    IConfigModel* configModel;
    IPluginModel* pluginModel;

    // Guards the job's folder, inputs, kinds and excluded plug-ins, which the user interface sets
    // while a run may copy them.
    std::mutex jobMutex;
    std::string outputDirectory;
    std::vector<std::string> inputFiles;
    std::vector<std::string> extractedKinds;
    std::vector<std::string> excludedPlugins;

    std::atomic<std::uint32_t> currentFileIndex{0};
    std::atomic<std::uint32_t> extractedCount{0};
    std::atomic<std::uint64_t> currentFileSize{0};
    std::atomic<std::uint64_t> currentPosition{0};
    std::atomic<std::uint64_t> totalSize{0};
    std::atomic<std::uint64_t> processedSize{0};
    std::atomic<bool> abortFlag{false};
    std::atomic<bool> signaturesUsed{true};
    std::atomic<unsigned> checkThreads{0};

    // Job numbers: the one prepared or running last, the last one a run began, the last one whose
    // cancel was announced and the last one that sent its final status. Guarded by notifyMutex;
    // announcedJob is also read by the run's cancel checks without it. Recursive, so that an
    // observer may call abort from inside a notification.
    std::recursive_mutex notifyMutex;
    std::uint64_t jobNumber = 1;
    std::uint64_t startedJob = 0;
    std::atomic<std::uint64_t> announcedJob{0};
    std::uint64_t finishedJob = 0;

    // Held by a run from its start to its end.
    std::mutex runGate;

    RunReport report;
};
