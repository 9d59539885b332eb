// One test plug-in, built once per library the plug-in model tests need. Its identifier, its tag
// and the way it misbehaves come from the build:
//   TEST_PLUGIN_ID           the text getID returns
//   TEST_PLUGIN_TAG          the library's name in the probe's record
//   TEST_PLUGIN_NO_CREATE    no _createExtractPlugin export
//   TEST_PLUGIN_NO_RELEASE   no _releaseExtractPlugin export
//   TEST_PLUGIN_NULL_OBJECT  _createExtractPlugin returns null
//   TEST_PLUGIN_NULL_ID      getID returns null
//   TEST_PLUGIN_THROWING_ID  getID throws
//   TEST_PLUGIN_THROWING_CONFIG     setConfig throws
//   TEST_PLUGIN_THROWING_RELEASE    _releaseExtractPlugin throws once it has freed the object
//   TEST_PLUGIN_THROWING_EXTENSION  _getExtractPluginExtension throws
#include "engine/ExtractPlugin.h"
#include "tests/engine/plugins/Probe.h"

#include <set>

#define TEST_PLUGIN_TEXT(x) #x
#define TEST_PLUGIN_STRING(x) TEST_PLUGIN_TEXT(x)

namespace {

const char* const pluginId = TEST_PLUGIN_STRING(TEST_PLUGIN_ID);
const char* const pluginTag = TEST_PLUGIN_STRING(TEST_PLUGIN_TAG);

class TestPlugin final : public IExtractPlugin {
public:
    const char* getID() override {
#if defined(TEST_PLUGIN_NULL_ID)
        return nullptr;
#elif defined(TEST_PLUGIN_THROWING_ID)
        throw 1;
#else
        return pluginId;
#endif
    }
    const char* getName() override { return pluginTag; }
    const char* getVersion() override { return "1.0"; }
    const char* getVendor() override { return "tests"; }
    const char* getKind() override { return "bin"; }
    unsigned getWindowSize() override { return 1; }
    bool detect(const unsigned char*) override { return false; }
    unsigned extract(const char*, unsigned, unsigned, const char*) override { return 0; }
    bool hasProperty() override { return false; }
    void showProperty(void*) override {}
    bool isEnabled() override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }
    void setConfig(IExtractConfig* config) override {
        probeRecord("setConfig", pluginTag, config);
#ifdef TEST_PLUGIN_THROWING_CONFIG
        throw 1;
#endif
    }

private:
    bool enabled = true;
};

// Objects that the host never released die with the library, so that a plug-in the host cannot
// release does not show up as a leak of the tests.
std::set<TestPlugin*> liveObjects;

struct UnloadRecorder {
    ~UnloadRecorder() {
        for (TestPlugin* object : liveObjects) delete object;
        probeRecord("unload", pluginTag, nullptr);
    }
} unloadRecorder;

}  // namespace

extern "C" {

#ifndef TEST_PLUGIN_NO_CREATE
IExtractPlugin* _createExtractPlugin() {
#ifdef TEST_PLUGIN_NULL_OBJECT
    probeRecord("create", pluginTag, nullptr);
    return nullptr;
#else
    TestPlugin* object = new TestPlugin;
    liveObjects.insert(object);
    probeRecord("create", pluginTag, static_cast<IExtractPlugin*>(object));
    return object;
#endif
}
#endif

#ifndef TEST_PLUGIN_NO_RELEASE
int _releaseExtractPlugin(IExtractPlugin* plugin) {
    probeRecord("release", pluginTag, plugin);
    TestPlugin* object = static_cast<TestPlugin*>(plugin);
    liveObjects.erase(object);
    delete object;
#ifdef TEST_PLUGIN_THROWING_RELEASE
    throw 1;
#endif
    return 0;
}
#endif

#ifdef TEST_PLUGIN_THROWING_EXTENSION
const ExtractPluginExtension* _getExtractPluginExtension() {
    throw 1;
}
#endif

}
