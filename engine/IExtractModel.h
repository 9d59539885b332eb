#pragma once

#include "framework/IObservable.h"
#include "framework/IRunnable.h"

#include <string>

// One extraction job and its progress: the output folder, the input files, the total size of the
// inputs and the counters that the progress dialog reads while the job runs. The job itself is the
// IRunnable face's run, which a worker thread executes; it reports through IObservable with value
// objects holding "status" and "log".
//
// The setters, prepare, getTotalSizeText and abort belong to the user-interface thread. The getters
// may be called from any thread while the run writes the counters: each reads one value as it
// stands at that moment. The 64-bit values come as two 32-bit halves, the high half first.
//
// Only the application factory that made the model deletes it, so there is no virtual destructor.
class IExtractModel : public virtual IObservable, public virtual IRunnable {
public:
    virtual std::string getOutputDirectory() = 0;
    virtual void setOutputDirectory(std::string folder) = 0;
    virtual void addInputFile(std::string path) = 0;
    virtual void clearInputFiles() = 0;
    // Totals the sizes of the inputs and resets the progress counters for the next run.
    virtual void prepare() = 0;
    // Asks the run to stop. When a worker runs the job, observers get one "ABORTED" on the calling
    // thread, and this returns only once the worker has ended; nothing is notified after that.
    virtual void abort() = 0;
    virtual unsigned getInputFileCount() = 0;
    virtual unsigned getCurrentFileIndex() = 0;
    virtual unsigned getExtractedCount() = 0;
    virtual void getCurrentFileSize(unsigned* high, unsigned* low) = 0;
    virtual void getCurrentPosition(unsigned* high, unsigned* low) = 0;
    virtual void getTotalSize(unsigned* high, unsigned* low) = 0;
    virtual void getProcessedSize(unsigned* high, unsigned* low) = 0;
    // The total size with a unit, for the confirmation question: "12 MB".
    virtual std::string getTotalSizeText() = 0;

protected:
    ~IExtractModel() = default;
};
