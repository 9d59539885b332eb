#pragma once

#include "engine/ExtractPlugin.h"

#include <cstdint>
#include <string>

class ByteCursor;
class FileSource;
class IByteSource;
class SignatureSet;

// What the sample plug-ins share: their fixed texts, the enabled flag kept in the settings so that
// it survives reloads, the optional operations of the contract (signatures, the reason of a failed
// extract, the program's services), and extract, which measures the embedded file before it
// writes anything and writes it only when it is whole and its size lies within the settings' size
// window. A rejected candidate therefore leaves no output file behind, and a find that cannot be
// written is reported as such, never as "nothing here".
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

    // The table that _getExtractPluginExtension of every sample plug-in returns.
    static const ExtractPluginExtension* extension();

protected:
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

    unsigned extractFrom(const char* inputPath, std::uint64_t offset, const char* outputPath);
    bool copy(FileSource& input, const char* inputPath, std::uint64_t offset, std::uint64_t length,
              const char* outputPath);
    void fail(int failure, std::string message);

    Identity identity;
    IExtractConfig* config = nullptr;
    const ExtractHost* host = nullptr;
    bool enabled = true;
    int lastFailure = EXTRACT_NOTHING_FOUND;
    std::string failureMessage;
};
