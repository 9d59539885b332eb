// A plug-in whose declaration promises more than its detect keeps: it declares patterns that turn
// up all over ordinary data (zero bytes, "RIFF", the start of a JPEG) and accepts nothing, so a
// run with it must give exactly what a run without it gives, only more slowly.

#include "engine/ExtractPlugin.h"

namespace {

const unsigned char zeros[] = {0, 0};
const unsigned char riff[] = {'R', 'I', 'F', 'F'};
const unsigned char jpeg[] = {0xFF, 0xD8};
const ExtractSignature lies[] = {{0, 2, zeros, nullptr}, {1, 4, riff, nullptr}, {3, 2, jpeg, nullptr}};

class LyingPlugin final : public IExtractPlugin {
public:
    const char* getID() override { return "liar"; }
    const char* getName() override { return "宣言が嘘のプラグイン"; }
    const char* getVersion() override { return "1.0"; }
    const char* getVendor() override { return "glintfetch tests"; }
    const char* getKind() override { return "lie"; }
    unsigned getWindowSize() override { return 8; }
    bool detect(const unsigned char*) override { return false; }
    unsigned extract(const char*, unsigned, unsigned, const char*) override { return 0; }
    bool hasProperty() override { return false; }
    void showProperty(void*) override {}
    bool isEnabled() override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }
    // Enabled only when the settings say so, so that the other tests of the folder never see it.
    void setConfig(IExtractConfig* config) override {
        char value[8] = {0};
        if (config->getPropertyLength("enabled", "liar") <= static_cast<int>(sizeof value)) {
            config->getProperty("enabled", value, "liar");
        }
        enabled = value[0] == 't';
    }

private:
    bool enabled = false;
};

} // namespace

extern "C" IExtractPlugin* _createExtractPlugin() { return new LyingPlugin; }

extern "C" int _releaseExtractPlugin(IExtractPlugin* plugin) {
    delete static_cast<LyingPlugin*>(plugin);
    return 1;
}

extern "C" const ExtractPluginExtension* _getExtractPluginExtension() {
    static const ExtractPluginExtension table = {
        sizeof(ExtractPluginExtension),
        [](IExtractPlugin*, const ExtractSignature** signatures) {
            *signatures = lies;
            return static_cast<int>(sizeof lies / sizeof lies[0]);
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
