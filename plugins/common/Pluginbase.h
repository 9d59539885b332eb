#pragma once

#include "engine/ExtractPlugin.h"

#include <cstdint>
#include <string>

class ByteCursor;
class IByteSource;

// What the sample plug-ins share: their fixed texts, the enabled flag kept in the settings so that
// it survives reloads, and extract, which measures the embedded file before it writes anything and
// writes it only when it is whole and its size lies within the settings' size window. A rejected
// candidate therefore leaves no output file behind.
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

protected:
    // The length of the whole, valid file that begins at the cursor's first byte, or 0 when there
    // is none. The cursor stops at the size window's upper bound.
    virtual std::uint64_t measure(ByteCursor& input) = 0;

    // The empty text while no configuration has been handed over.
    std::string readProperty(const char* key) const;
    void writeProperty(const char* key, const std::string& value) const;

private:
    static bool copy(IByteSource& input, std::uint64_t offset, std::uint64_t length,
                     const char* outputPath);

    Identity identity;
    IExtractConfig* config = nullptr;
    bool enabled = true;
};
