#pragma once

#include "engine/ExtractPlugin.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ByteCursor;
class FileSource;
class IByteSource;
class SignatureSet;

// What every plug-in of plugins/ is built on: its fixed texts, the enabled flag kept in the settings so that
// it survives reloads, the optional operations of the contract (signatures, the reason of a failed
// extract, the program's services), and extract, which measures the embedded file before it
// writes anything and writes it only when it is whole and its size lies within the settings' size
// window. A rejected candidate therefore leaves no output file behind, and a find that cannot be
// written is reported as such, never as "nothing here".
//
// A plug-in class that declares callsConcurrently true has its candidates checked on several of
// the program's threads at once (EXTRACT_PROMISE_CONCURRENT): each such call works on an Attempt
// of its own and calls measureCall, which must keep nothing in the object; whatever a later call
// depends on, the call leaves in its note, and settle takes it into the object on the run's thread
// in the order of the scan.
class PluginBase : public IExtractPlugin {
public:
    struct Identity {
        const char* id;
        const char* name;
        const char* kind;
        unsigned windowSize;
    };

    // The property that keeps the enabled flag: "true" or "false"; anything else reads as enabled.
    static constexpr const char* enabledKey = "enabled";

    explicit PluginBase(const Identity& identity);
    virtual ~PluginBase();

    const char* getID() override;
    const char* getName() override;
    const char* getVersion() override;
    const char* getVendor() override;
    const char* getKind() override;
    unsigned getWindowSize() override;
    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;
    bool hasProperty() override;
    void showProperty(void* parent) override;
    bool isEnabled() override;
    void setEnabled(bool enabled) override;
    void setConfig(IExtractConfig* config) override;

    // The table that _getExtractPluginExtension of every plug-in built on this class returns: with the
    // concurrent calls promised, or without them.
    static const ExtractPluginExtension* extension(bool concurrent);

    // Whether the class's calls keep the contract of extractCall and settleCall. A class whose
    // measure keeps something in the object says so only once measureCall and settle do.
    static constexpr bool callsConcurrently = false;

protected:
    // What a concurrent call leaves for its settle; each plug-in its own kind.
    class CallNote {
    public:
        virtual ~CallNote() = default;
    };

    // One extract: what it works with and what it finds out. extract has the object's own, every
    // concurrent call one of its own.
    struct Attempt {
        const char* inputPath = nullptr;
        std::uint64_t offset = 0;
        const char* outputPath = nullptr;
        const ExtractHost* host = nullptr;
        int failure = EXTRACT_NOTHING_FOUND;
        std::string message;
        std::unique_ptr<CallNote> note;
    };

    enum class Settled {
        // The call's answer stands as it is.
        stands,
        // The settled calls before it make its find none: it is withdrawn.
        withdrawn,
        // The call skipped work on a guess the settled calls do not bear out: it is made again.
        again,
    };

    // The measure of a concurrent call, on any of the program's threads: by default measure, for
    // the plug-ins whose measure keeps nothing in the object.
    virtual std::uint64_t measureCall(ByteCursor& input, Attempt& attempt);
    // On the run's thread, for a call a one-thread run would have made there (result is what it
    // answered), with its note, after every call before it has been settled.
    virtual Settled settle(const ExtractCall& call, unsigned result, CallNote* note);

    // The length of the whole, valid file that begins at the cursor's first byte, or 0 when there
    // is none. The cursor stops at the size window's upper bound.
    virtual std::uint64_t measure(ByteCursor& input) = 0;
    // The patterns detect needs, for the settings as they are now; null declares none, and the
    // plug-in is then offered every position. The set must outlive the run.
    virtual const SignatureSet* signatures();

    // A run begins (inRun) or ends. The settings do not change while a run goes on, so a plug-in
    // may take what it reads of them here instead of at every candidate: each reading walks the
    // settings document.
    virtual void hostChanged(bool inRun);

    // Every kind this plug-in's finds may have (getKinds of the contract); the texts must stay
    // valid until the next call into the object. Only the kind of the identity, unless the
    // plug-in names its finds by what detect saw.
    virtual std::vector<const char*> kinds();

    // The empty text while no configuration has been handed over.
    std::string readProperty(const char* key) const;
    void writeProperty(const char* key, const std::string& value) const;
    // The size window in bytes: from the program's services when it offers them, else from the
    // settings' int view. maximum is UINT64_MAX when unbounded.
    void sizeWindow(std::uint64_t& minimum, std::uint64_t& maximum) const;
    // Why the last extract returned 0: one of enum ExtractFailure.
    int failure() const;

private:
    static int extensionSignatures(IExtractPlugin* plugin, const ExtractSignature** signatures);
    static int extensionFailure(IExtractPlugin* plugin, const char** message);
    static void extensionHost(IExtractPlugin* plugin, const ExtractHost* host);
    static unsigned extensionCall(IExtractPlugin* plugin, ExtractCall* call);
    static int extensionSettle(IExtractPlugin* plugin, ExtractCall* call, int taken);
    static int extensionKinds(IExtractPlugin* plugin, const char* const** kinds);

    // The whole extract of an attempt: measures (measureCall when concurrent), copies, and
    // leaves the reason of a failure in the attempt. Nothing leaves it.
    unsigned attemptExtract(Attempt& attempt, bool concurrent);
    unsigned extractFrom(Attempt& attempt, bool concurrent);
    bool copy(FileSource& input, Attempt& attempt, std::uint64_t length);
    void sizeWindow(const ExtractHost* from, std::uint64_t& minimum, std::uint64_t& maximum) const;

    Identity identity;
    IExtractConfig* config = nullptr;
    const ExtractHost* host = nullptr;
    bool enabled = true;
    int lastFailure = EXTRACT_NOTHING_FOUND;
    std::string failureMessage;
    std::vector<const char*> kindList;
};
