#pragma once

#include "framework/IObservable.h"
#include "framework/IRunnable.h"

#include <map>
#include <string>
#include <vector>

// An input that the run could not go through, whole or in part, and why.
struct ExtractFailedInput {
    std::string path;
    std::string reason;
};

// One extraction job and its progress: the output folder, the input files, the total size of the
// inputs and the counters that the progress dialog reads while the job runs. The job itself is the
// IRunnable face's run, which a worker thread executes; it reports through IObservable.
//
// What a run notifies, in order. Every notification carries "status" and "log"; a non-empty log
// is one line for the user.
//   "START" / "抽出開始"                  once, first of all.
//   "DETECTED" / path + "から抽出中..."   before each input, in list order.
//   "PROCESSING" / ""                     every 999 windows of positions scanned in an input (the
//                                         window is the largest that an active plug-in asks for),
//                                         however the input is actually read; the current position
//                                         is then the multiple of that step just reached.
//   "FOUND" / "<kind> を抽出しました：位置 <offset> → <file>"
//                                         after every find written. The same notification also
//                                         carries "kind", "inputFile", "offset" (bytes, decimal),
//                                         "size" (bytes of the written file, decimal) and
//                                         "outputFile".
//   "PROCESSING" / "エラー発生：" + text   something was lost or left out: an input that cannot be
//                                         read, a folder that cannot be made, a find that cannot
//                                         be written, a plug-in that failed. Once per cause, not
//                                         once per find.
//   "UNREADABLE" / "エラー発生：" + text   a stretch of an input that could not be read (bad
//                                         sectors), once per stretch, adjacent ones merged, after
//                                         the input's scan; the run went on past it with zeros
//                                         there. Also carries "inputFile", "offset" and "size"
//                                         (bytes, decimal). A find that needed such bytes is left
//                                         out with a log line or, when the settings keep damaged
//                                         finds, written with zeros there and its "FOUND" carries
//                                         "damaged" = "true" (otherwise "false").
//   "EXTRACTED" / ""                      an input scanned to its end.
// and last exactly one final status, whose log sums the run up (finds written, in all and per
// kind; finds that could not be written; the inputs that failed):
//   "COMPLETED"  every input was gone through. The log begins with "抽出完了." only when nothing
//                was lost; otherwise with "抽出完了（問題あり）.".
//   "ABORTED"    the user cancelled. Sent by abort on the calling thread the moment it is asked;
//                the log begins with "抽出中断.".
//   "FAILED"     the run could not go on (no usable plug-in, unreadable settings, an unexpected
//                failure); the log begins with "抽出失敗." and says why.
// Nothing is notified after the final status.
//
// The setters, prepare, getTotalSizeText and abort belong to the user-interface thread. The getters
// may be called from any thread, during a run and after it: each reads values as they stand at
// that moment. The 64-bit values come as two 32-bit halves, the high half first.
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
    // Asks the run to stop and returns at once, never waiting for the worker. While a run is under
    // way and has not yet sent its final status, observers get "ABORTED" on the calling thread and
    // the run sends nothing more; the worker ends by itself once its current plug-in call returns
    // (plug-ins are told through the host's isCancelled). Otherwise nothing is notified.
    virtual void abort() = 0;
    virtual unsigned getInputFileCount() = 0;
    virtual unsigned getCurrentFileIndex() = 0;
    // Finds written so far in the current run. The running number of the next output file is at
    // least this; it is ahead where names in the output folders were taken already (by an earlier
    // run, or by one running alongside), as a run never writes over a file nor removes one that
    // is not its own.
    virtual unsigned getExtractedCount() = 0;
    virtual void getCurrentFileSize(unsigned* high, unsigned* low) = 0;
    virtual void getCurrentPosition(unsigned* high, unsigned* low) = 0;
    virtual void getTotalSize(unsigned* high, unsigned* low) = 0;
    virtual void getProcessedSize(unsigned* high, unsigned* low) = 0;
    // The total size with a unit, for the confirmation question: "12 MB".
    virtual std::string getTotalSizeText() = 0;
    // Finds of the current run that a plug-in found whole and could not write.
    virtual unsigned getUnwrittenCount() = 0;
    // The inputs of the current run that could not be read, whole or in part, in the order met.
    virtual std::vector<ExtractFailedInput> getFailedInputs() = 0;
    // Finds written in the current run, per kind.
    virtual std::map<std::string, unsigned> getExtractedCountsByKind() = 0;
    // The kinds later runs extract: a find of another kind is passed over as though its plug-in
    // had not detected it, and the next plug-in is asked there. Empty, as at first: every kind.
    virtual void setExtractedKinds(std::vector<std::string> kinds) = 0;
    // The plug-ins later runs leave out, by identifier, whatever their enabled flag says.
    virtual void setExcludedPlugins(std::vector<std::string> ids) = 0;

protected:
    ~IExtractModel() = default;
};
