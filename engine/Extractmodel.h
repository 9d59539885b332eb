#pragma once

#include "engine/IExtractModel.h"
#include "framework/Observable.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class IConfigModel;
class IExtractPlugin;
class IMemory;
class IPluginModel;
class IRandomAccessFile;
class IResource;
class IValueObject;

// The extraction model. Its run scans every byte position of every input file through one sliding
// buffer and lets the enabled plug-ins extract what they recognise into numbered files below the
// output folder.
//
// Threads. The run executes on a worker and writes the counters; the user interface reads them at
// any time, so they are atomics, written by the run with plain relaxed stores that cost nothing in
// the per-byte loop. abort comes from the user-interface thread. The run's notifications and
// abort's "ABORTED" are sent under one lock, so an observer never sees two at once, and once abort
// has sent its "ABORTED" the run sends nothing more.
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

    void run() override;

    // The largest window a plug-in may ask for: the sliding buffer of 1000 windows must stay within
    // what one read of the input file can report. A plug-in asking for more, or for none at all, is
    // left out of the run with a log line.
    static constexpr unsigned maxWindowSize = 2147483;

private:
    class Run;
    friend class Run;

    void notify(IValueObject* payload, const std::string& status, const std::string& log);

    IConfigModel* configModel;
    IPluginModel* pluginModel;
    std::string outputDirectory;
    std::vector<std::string> inputFiles;

    std::atomic<std::uint32_t> currentFileIndex{0};
    std::atomic<std::uint32_t> extractedCount{0};
    std::atomic<std::uint64_t> currentFileSize{0};
    std::atomic<std::uint64_t> currentPosition{0};
    std::atomic<std::uint64_t> totalSize{0};
    std::atomic<std::uint64_t> processedSize{0};
    std::atomic<bool> abortFlag{false};

    // Serialises notifications between the worker and abort. cancelAnnounced (guarded by it) is
    // set once abort has told the observers that the run was cancelled; from then on the run is
    // silent, and a run that had not yet begun keeps the abort flag instead of clearing it.
    // Recursive, so that an observer may call abort from inside a notification.
    std::recursive_mutex notifyMutex;
    bool cancelAnnounced = false;
};
