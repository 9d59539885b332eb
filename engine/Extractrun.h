#pragma once

#include "engine/Callinput.h"
#include "engine/Checkpool.h"
#include "engine/Metadatawriter.h"
#include "engine/Outputnames.h"
#include "engine/Pluginextension.h"
#include "engine/Runhost.h"
#include "engine/Runinput.h"
#include "engine/Runreport.h"
#include "engine/Scanbuffer.h"
#include "engine/Signaturematcher.h"
#include "engine/Volumeplan.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class ExtractModel;
class IExtractPlugin;
class IGlintfetchFactory;
class IResource;
class IValueObject;

// One run of an extraction job, on the worker: it reloads the settings and the plug-ins, scans
// every input block by block, asks the plug-ins at the positions where their signatures match
// (every position for a plug-in that declares none), in index order, the first success winning,
// and reports through the model. The outputs and notifications are those of a scan that offers
// every position to every plug-in in turn; only the number of calls differs.
//
// Nothing leaves execute: a failure that ends the run early ends it with "FAILED" and its cause.
// An exception thrown by a plug-in's call leaves that plug-in out for the rest of the run, with a
// log line naming it. Every framework object of the run belongs to its own factory and goes with
// the run; the plug-in libraries stay loaded (the plug-in model's hold) until the run has
// withdrawn its host from them.
//
// A plug-in that promises concurrent calls has its candidates checked on the run's checking
// threads, each into a private name in the folder of its find, while the scan goes on; the run
// takes their answers back in the order of the scan (position, then plug-in), settles each with
// the plug-in, and only then names, counts and tells the find, drops a later plug-in's find at a
// position where an earlier one found data, and tells each "PROCESSING" after the finds before it.
// Running numbers, notifications, log and report are therefore those of a run on one thread. Every
// other plug-in is called on the run's thread alone, after every candidate before it is settled.
class ExtractRun {
public:
    ExtractRun(ExtractModel& model, std::uint64_t job);
    ~ExtractRun();
    ExtractRun(const ExtractRun&) = delete;
    ExtractRun& operator=(const ExtractRun&) = delete;

    void execute();

private:
    struct ActivePlugin {
        IExtractPlugin* plugin;
        PluginExtension extension;
        std::string name;
        unsigned window = 0;
        bool everyPosition = true;
        bool usable = true;
        bool hosted = false;
        // Checked on the checking threads.
        bool concurrent = false;
    };
    struct Pending;

    void perform();
    void selectPlugins();
    void declareSignatures(std::uint32_t slot);
    void scanInput(const std::string& path);
    void scanFile(std::uint64_t size);
    // The input's partition tables and file systems: its volumes told, their files copied out by
    // name, and the carving that follows kept to where they leave off.
    void readFileSystems();
    void tellVolumes();
    void tellRecovered(const MetadataWriter::Outcome& outcome);
    // A carving find that a file copied out by name explains: true when it is not to be told as
    // a find of its own (the same bytes were written already).
    bool matchCarved(std::uint64_t position, std::uint64_t size, std::string& outputName,
                     MetadataWriter::Outcome& named);
    bool offerRange(std::uint64_t start, const unsigned char* data, std::uint32_t begin, std::uint32_t end,
                    const SignatureMatcher::Candidate* next, const SignatureMatcher::Candidate* last);
    void offer(std::uint64_t position, const unsigned char* window,
               const SignatureMatcher::Candidate* matched, const SignatureMatcher::Candidate* end);
    bool advanceTo(std::uint64_t position);
    bool extractAt(ActivePlugin& active, std::uint64_t position);
    void announceFind(const std::string& kind, std::uint64_t position, const std::string& inputPath,
                      const std::string& outputName, std::uint64_t size, bool damaged,
                      const MetadataWriter::Outcome* named = nullptr);
    void tellBoundary(std::uint64_t boundary);

    // The checking threads, as many as the model asks for; none when no plug-in is checked there.
    void startChecking();
    void openCallInputs(std::uint64_t size);
    // here: checked on the run's thread now, since the scan needs its answer next.
    void dispatch(ActivePlugin& plugin, std::uint32_t slot, std::uint64_t position, const unsigned char* window,
                  bool here);
    // Takes back the first pending answer, waiting for it when wait is set; false when there is
    // none (or, without wait, when it is not in yet).
    bool settleNext(bool wait);
    void settleAll();
    // settleAll, for a call of a plug-in of the first contract at position.
    void settleAllAt(std::uint64_t position);
    void settleCall(Pending& call);
    void commitCall(ActivePlugin& plugin, Pending& call);
    // Makes the call again on the run's own thread.
    void callHere(Pending& call);
    void askAgainHere(ActivePlugin& plugin, Pending& call);
    void removeTemporary(const Pending& call, bool look);
    // Waits for every call out and forgets their answers: after a cancel or a failure.
    void dropPending();
    bool wonAt(std::uint64_t position) const { return won && wonPosition == position; }
    unsigned callExtract(ActivePlugin& active, std::uint64_t position, const std::string& inputPath,
                         const std::string& outputName);
    // The folder that receives the find, made as the settings ask. lost names a folder that is
    // missing and cannot be made (told in the log once), else stays empty.
    std::string targetFolder(const std::string& kind, std::string& lost);
    // The same, from what this input's earlier finds of the kind made sure of; checked is false
    // when it was looked at anew.
    std::string knownFolder(const std::string& kind, std::string& lost, bool& checked);
    void forgetFolders();
    bool ensureFolder(IResource* entry, std::string& lost);
    bool isFolderMissing(const std::string& folder);
    void reportFailure(int failure, std::string message, const std::string& outputName,
                       const std::string& folder, const std::string& lostFolder);
    int failureOf(ActivePlugin& active, std::string& message);
    // What the failed attempt left at the claimed name; see OutputNames.
    OutputNames::Leftover discard(const ActivePlugin& active, int failure);
    // After a find written whole by the plug-in's account: true when it needed no bytes the input
    // could not give, or is kept all the same as the settings ask (damaged then says so); false
    // when it was removed again.
    bool keepsFind(std::uint64_t position, std::uint64_t size, const std::string& kind,
                   const std::string& outputName, bool& damaged);
    // Names the stretches of the input that could not be read, once the scan of it is over.
    void tellUnreadable(const std::string& path);

    // Runs call on the plug-in; false, with the plug-in left out, when it threw.
    template <class Result, class Call>
    bool guarded(ActivePlugin& active, const char* operation, Call&& call, Result& result);
    void leaveOut(ActivePlugin& active, const char* operation, const std::string& what);
    void withdrawHost();

    bool cancelled() const;
    void say(const std::string& status, const std::string& log);
    // A line of the log, held back until "START" has been sent.
    void tell(const std::string& line);
    // Tells "エラー発生：" + line, the first time cause comes up.
    void problem(const std::string& cause, const std::string& line);
    void finish(RunReport::Ending ending, const std::string& cause = std::string());
    void fail(const std::string& cause);

    ExtractModel& model;
    std::uint64_t job;
    std::unique_lock<std::recursive_mutex> pluginHold;

    std::string outputDirectory;
    std::vector<std::string> inputs;
    // Empty: every kind.
    std::vector<std::string> kinds;
    std::vector<std::string> excluded;

    std::vector<ActivePlugin> active;
    // The slots offered every position, ascending; a slot left out goes at the next position.
    std::vector<std::uint32_t> everyPosition;
    bool leftOutSince = false;
    SignatureMatcher matcher;
    std::vector<SignatureMatcher::Candidate> candidates;
    std::uint32_t scanWindow = 0;
    std::uint64_t refillStep = 0;
    RunHost host;

    std::unique_ptr<IGlintfetchFactory> factory;
    IResource* inputEntry = nullptr;
    IResource* folderEntry = nullptr;
    IResource* targetEntry = nullptr;
    // Reads the size of a find; one entry serves the whole run.
    IResource* outputEntry = nullptr;
    std::unique_ptr<OutputNames> names;
    IValueObject* payload = nullptr;
    IValueObject* foundPayload = nullptr;
    std::unique_ptr<ScanBuffer> buffer;
    std::unique_ptr<RunInput> runInput;
    VolumePlan volumePlan;
    VolumePlan::Choice volumeChoice;
    std::unique_ptr<MetadataWriter> metadataWriter;
    IValueObject* listedPayload = nullptr;
    // The settings' two folder options, taken once with the settings.
    bool folderPerFile = false;
    bool folderPerKind = false;
    bool keepDamaged = false;
    // The folders made sure of for the current input, by kind: a failed attempt costs no look at
    // the file system then. Forgotten at every input and whenever a claim or a write failed, so
    // that a folder removed meanwhile is made again.
    std::vector<std::pair<std::string, std::string>> knownFolders;

    bool started = false;
    std::vector<std::string> heldLines;
    std::uint64_t processedBefore = 0;
    std::uint64_t nextBoundary = 0;

    // One per checking thread, and the run's own last.
    std::vector<std::unique_ptr<CallInput>> callInputs;
    std::unique_ptr<CheckPool> pool;
    // The calls out and the boundaries passed since the first of them, in the order of the scan.
    std::deque<std::unique_ptr<Pending>> pending;
    std::vector<std::unique_ptr<Pending>> spare;
    std::string temporaryPrefix;
    std::uint64_t temporaryCount = 0;
    // The position of the last find taken, so that no later plug-in's find there is.
    bool won = false;
    std::uint64_t wonPosition = 0;
};
