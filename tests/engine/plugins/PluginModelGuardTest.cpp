// Beside a plugins folder where, between good plug-ins, one throws in setConfig, one in its
// release and one in its table of optional operations (see CMakeLists.txt). Every call into a
// plug-in is guarded: the one that throws is left out, named with its reason, and every object
// made goes back to its library exactly once.
#include "engine/Pluginmodel.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "tests/engine/plugins/Probe.h"
#include "tests/engine/plugins/UnusedConfig.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string pluginFolder() {
    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* executable = factory->createResource();
    executable->setPath(factory->createProcess()->getModuleFileName());
    return executable->getParent() + "/plugins/";
}

// Each object made, in the order made, with its plug-in and how often it was released. An object
// made after another was freed may take its address, so a release counts for the latest object
// made at its address.
struct Made {
    const void* object;
    std::string tag;
    int releases;
};

std::vector<Made> releasesPerObject(const std::vector<ProbeEvent>& events) {
    std::vector<Made> made;
    std::map<const void*, std::size_t> latest;
    for (const ProbeEvent& e : events) {
        if (e.what == "create") {
            latest[e.pointer] = made.size();
            made.push_back({e.pointer, e.tag, 0});
        }
        if (e.what == "release") {
            const auto at = latest.find(e.pointer);
            if (at != latest.end()) {
                ++made[at->second].releases;
            } else {
                made.push_back({e.pointer, e.tag, 1});
            }
        }
    }
    return made;
}

class PluginModelGuardTest : public ::testing::Test {
protected:
    void SetUp() override { probeClear(); }

    UnusedConfig config;
};

}  // namespace

TEST_F(PluginModelGuardTest, APluginThatThrowsAtItsLoadIsLeftOutNamedAndGivenBack) {
    PluginModel model;
    model.loadPlugins(&config);

    // The good ones and the one whose release throws (that comes only later) are listed, each
    // under its own index.
    const std::vector<std::string> listed = {"a", "c", "throwingrelease", "e"};
    ASSERT_EQ(model.getPluginCount(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(model.getPlugin(static_cast<unsigned>(i))->getID(), listed[i]);
        EXPECT_EQ(model.getPluginIndex(listed[i]), static_cast<int>(i));
    }
    EXPECT_EQ(model.getPluginIndex("throwingconfig"), -1);
    EXPECT_EQ(model.getPluginIndex("throwingextension"), -1);

    const std::string plugins = pluginFolder();
    const std::vector<PluginLoadFailure> failures = model.getLoadFailures();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].path, plugins + "e.so");
    EXPECT_EQ(failures[0].reason, "関数 _getExtractPluginExtension で例外が発生しました。");
    EXPECT_EQ(failures[1].path, plugins + "b.so");
    EXPECT_EQ(failures[1].reason, "setConfig で例外が発生しました。");

    // Both left out went back to their libraries at once; every one after the one that threw in
    // setConfig got its settings all the same.
    const std::vector<ProbeEvent> events = probeEvents();
    for (const Made& made : releasesPerObject(events)) {
        const bool leftOut = made.tag == "testplugin_throwingconfig" || made.tag == "testplugin_throwingextension";
        EXPECT_EQ(made.releases, leftOut ? 1 : 0) << made.tag;
    }
    int configured = 0;
    for (const ProbeEvent& e : events) configured += e.what == "setConfig";
    EXPECT_EQ(configured, 5);
}

// A release that throws ends that release alone: the others are released, nothing is released
// twice, and the model can reload and go.
TEST_F(PluginModelGuardTest, AReleaseThatThrowsReleasesNothingTwice) {
    {
        PluginModel model;
        model.loadPlugins(&config);
        model.loadPlugins(&config);
        EXPECT_EQ(model.getPluginCount(), 4u);
    }
    for (const Made& made : releasesPerObject(probeEvents())) EXPECT_EQ(made.releases, 1) << made.tag;
}
