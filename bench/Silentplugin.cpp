// A plug-in for the benchmark that finds nothing: its signature is six bytes of its own (built 30
// times, each with another SILENT_INDEX) that random data meets about once in 2^48 positions, and
// its detect accepts nothing. Thirty of them beside the sample plug-ins show what plug-ins cost a
// run when their signatures do not occur.

#include "engine/ExtractPlugin.h"

#include <string>

#ifndef SILENT_INDEX
#error "SILENT_INDEX names the plug-in"
#endif

namespace {

const unsigned char pattern[] = {0xC3, 'q', static_cast<unsigned char>(SILENT_INDEX), 0x5A, 0xE1, 'z'};
const ExtractSignature signatures[] = {{0, sizeof pattern, pattern, nullptr}};
const std::string id = "silent" + std::to_string(SILENT_INDEX);

class SilentPlugin final : public IExtractPlugin {
public:
    const char* getID() override { return id.c_str(); }
    const char* getName() override { return id.c_str(); }
    const char* getVersion() override { return "1.0"; }
    const char* getVendor() override { return "glintfetch benchmark"; }
    const char* getKind() override { return "silent"; }
    unsigned getWindowSize() override { return sizeof pattern; }
    bool detect(const unsigned char*) override { return false; }
    unsigned extract(const char*, unsigned, unsigned, const char*) override { return 0; }
    bool hasProperty() override { return false; }
    void showProperty(void*) override {}
    bool isEnabled() override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }
    void setConfig(IExtractConfig*) override {}

private:
    bool enabled = true;
};

} // namespace

extern "C" IExtractPlugin* _createExtractPlugin() { return new SilentPlugin; }

extern "C" int _releaseExtractPlugin(IExtractPlugin* plugin) {
    delete static_cast<SilentPlugin*>(plugin);
    return 1;
}

extern "C" const ExtractPluginExtension* _getExtractPluginExtension() {
    static const ExtractPluginExtension table = {
        sizeof(ExtractPluginExtension),
        [](IExtractPlugin*, const ExtractSignature** declared) {
            *declared = signatures;
            return 1;
        },
        nullptr,
        nullptr,
        0,
        nullptr,
        nullptr,
        nullptr,
    };
    return &table;
}
