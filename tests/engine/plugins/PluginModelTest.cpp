// Beside a plugins folder of good plug-ins under every form of name that is taken, at several
// depths, with failing plug-ins and names that are not taken among them (see CMakeLists.txt).
#include "engine/Pluginmodel.h"
#include "framework/Exception.h"
#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "tests/engine/plugins/Probe.h"
#include "tests/engine/plugins/UnusedConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const std::set<std::string> listedIds = {"a", "b", "c", "d", "e", "png"};

std::string pluginFolder() {
    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IResource* executable = factory->createResource();
    executable->setPath(factory->createProcess()->getModuleFileName());
    return executable->getParent() + "/plugins/";
}

// The tag of each test plug-in library is its target name; getName returns it.
std::string tagOf(IExtractPlugin* plugin) { return plugin->getName(); }

std::vector<ProbeEvent> eventsOf(const std::vector<ProbeEvent>& events, const std::string& what) {
    std::vector<ProbeEvent> found;
    for (const ProbeEvent& e : events) {
        if (e.what == what) found.push_back(e);
    }
    return found;
}

std::vector<std::string> tagsOf(const std::vector<ProbeEvent>& events) {
    std::vector<std::string> tags;
    for (const ProbeEvent& e : events) tags.push_back(e.tag);
    return tags;
}

bool happened(const std::vector<ProbeEvent>& events, const std::string& what,
              const std::string& tag) {
    return std::any_of(events.begin(), events.end(), [&](const ProbeEvent& e) {
        return e.what == what && e.tag == tag;
    });
}

class PluginModelTest : public ::testing::Test {
protected:
    void SetUp() override { probeClear(); }

    UnusedConfig config;
};

TEST_F(PluginModelTest, ListsEveryTakenPluginAtConsecutiveIndices) {
    PluginModel model;
    model.loadPlugins(&config);

    ASSERT_EQ(model.getPluginCount(), listedIds.size());
    std::set<std::string> ids;
    std::set<IExtractPlugin*> objects;
    for (unsigned i = 0; i < model.getPluginCount(); ++i) {
        IExtractPlugin* plugin = model.getPlugin(i);
        ids.insert(plugin->getID());
        objects.insert(plugin);
        EXPECT_EQ(model.getPluginIndex(plugin->getID()), static_cast<int>(i));
        EXPECT_EQ(model.getPlugin(std::string(plugin->getID())), plugin);
    }
    EXPECT_EQ(ids, listedIds);
    EXPECT_EQ(objects.size(), listedIds.size());

    // In the byte order of their paths below plugins/.
    std::vector<std::string> tags;
    for (unsigned i = 0; i < model.getPluginCount(); ++i) tags.push_back(tagOf(model.getPlugin(i)));
    EXPECT_EQ(tags, (std::vector<std::string>{"testplugin_a", "testplugin_b", "testplugin_e",
                                              "testplugin_png", "testplugin_c", "testplugin_d"}));

    // Names not taken (.so and .dll at index 0, no such part at all) and failing libraries.
    for (const char* id : {"bare", "txt", "nocreate", "null", "norelease", "nullid", "throwingid", ""}) {
        EXPECT_EQ(model.getPluginIndex(id), -1) << id;
    }
    EXPECT_FALSE(happened(probeEvents(), "create", "testplugin_bare"));
    EXPECT_FALSE(happened(probeEvents(), "create", "testplugin_txt"));

    EXPECT_EQ(model.getPluginIndex("unknown"), -1);
    EXPECT_EQ(model.getPlugin(std::string("unknown")), model.getPlugin(0u));
    EXPECT_THROW(model.getPlugin(model.getPluginCount()), IndexOutOfBoundsException);
}

TEST_F(PluginModelTest, FailingLibrariesAreFreedAtOnceAndLeaveNothingBehind) {
    PluginModel model;
    model.loadPlugins(&config);
    const std::vector<ProbeEvent> events = probeEvents();

    // No _createExtractPlugin, no _releaseExtractPlugin, or a null object: freed during the
    // load; without the release export no object is even made.
    EXPECT_TRUE(happened(events, "unload", "testplugin_nocreate"));
    EXPECT_FALSE(happened(events, "create", "testplugin_norelease"));
    EXPECT_TRUE(happened(events, "unload", "testplugin_norelease"));
    EXPECT_TRUE(happened(events, "create", "testplugin_null"));
    EXPECT_TRUE(happened(events, "unload", "testplugin_null"));

    // Two libraries report "b": the one whose path comes first is listed, the other's object
    // goes back to its own library at once and that library is freed.
    const std::string kept = tagOf(model.getPlugin(std::string("b")));
    EXPECT_EQ(kept, "testplugin_b");
    const std::string refused = "testplugin_twin";
    const void* refusedObject = nullptr;
    for (const ProbeEvent& e : events) {
        if (e.what == "create" && e.tag == refused) refusedObject = e.pointer;
    }
    ASSERT_NE(refusedObject, nullptr);
    bool releasedThroughOwnLibrary = false;
    for (const ProbeEvent& e : events) {
        if (e.what == "release" && e.pointer == refusedObject) {
            releasedThroughOwnLibrary = e.tag == refused;
        }
    }
    EXPECT_TRUE(releasedThroughOwnLibrary);
    EXPECT_TRUE(happened(events, "unload", refused));
    EXPECT_FALSE(happened(events, "unload", kept));
    for (unsigned i = 0; i < model.getPluginCount(); ++i) {
        EXPECT_NE(model.getPlugin(i), refusedObject);
    }
}

TEST_F(PluginModelTest, HandsTheConfigurationToEveryListedPluginInIndexOrder) {
    PluginModel model;
    model.loadPlugins(&config);
    const std::vector<ProbeEvent> events = probeEvents();

    const std::vector<ProbeEvent> handed = eventsOf(events, "setConfig");
    ASSERT_EQ(handed.size(), model.getPluginCount());
    for (unsigned i = 0; i < handed.size(); ++i) {
        EXPECT_EQ(handed[i].tag, tagOf(model.getPlugin(i)));
        EXPECT_EQ(handed[i].pointer, static_cast<IExtractConfig*>(&config));
    }
    // Only once every library of the load exists.
    const auto firstHanded = std::find_if(events.begin(), events.end(),
                                          [](const ProbeEvent& e) { return e.what == "setConfig"; });
    EXPECT_TRUE(std::none_of(firstHanded, events.end(),
                             [](const ProbeEvent& e) { return e.what == "create"; }));
}

TEST_F(PluginModelTest, AReloadReleasesByIdentifierAndFreesEveryLibraryBeforeLoadingAgain) {
    PluginModel model;
    model.loadPlugins(&config);
    std::vector<std::string> ascending;
    std::vector<const void*> firstObjects;
    for (const std::string& id : listedIds) ascending.push_back(tagOf(model.getPlugin(id)));
    std::multiset<std::string> firstTags;
    for (unsigned i = 0; i < model.getPluginCount(); ++i) {
        firstObjects.push_back(model.getPlugin(i));
        firstTags.insert(tagOf(model.getPlugin(i)));
    }

    probeClear();
    model.loadPlugins(&config);
    const std::vector<ProbeEvent> events = probeEvents();

    // Releases first, by identifier in byte order, whatever the indices were.
    const std::vector<ProbeEvent> releases = eventsOf(events, "release");
    ASSERT_GE(releases.size(), ascending.size());
    std::vector<std::string> releasedFirst;
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        releasedFirst.push_back(releases[i].tag);
        EXPECT_NE(std::find(firstObjects.begin(), firstObjects.end(), releases[i].pointer),
                  firstObjects.end());
        EXPECT_EQ(events[i].what, "release");
    }
    EXPECT_EQ(releasedFirst, ascending);

    // Then every listed library is freed before anything is created again.
    const auto firstCreate = std::find_if(events.begin(), events.end(),
                                          [](const ProbeEvent& e) { return e.what == "create"; });
    std::vector<ProbeEvent> before(events.begin(), firstCreate);
    std::multiset<std::string> freed;
    for (const ProbeEvent& e : eventsOf(before, "unload")) freed.insert(e.tag);
    EXPECT_EQ(freed, firstTags);

    // The configuration reaches the new objects only.
    const std::vector<ProbeEvent> handed = eventsOf(events, "setConfig");
    ASSERT_EQ(handed.size(), model.getPluginCount());
    EXPECT_EQ(model.getPluginCount(), listedIds.size());
}

TEST_F(PluginModelTest, DestructionReleasesAndFreesEverything) {
    std::vector<std::string> ascending;
    {
        PluginModel model;
        model.loadPlugins(&config);
        for (const std::string& id : listedIds) ascending.push_back(tagOf(model.getPlugin(id)));
        probeClear();
    }
    const std::vector<ProbeEvent> events = probeEvents();
    EXPECT_EQ(tagsOf(eventsOf(events, "release")), ascending);
    EXPECT_EQ(eventsOf(events, "unload").size(), listedIds.size());
    EXPECT_TRUE(eventsOf(events, "create").empty());
}

// Every file that looks like a plug-in and cannot be used is named with its reason, in path
// order; what does not look like one (notes.txt, a bare .so, a folder) is not named.
TEST_F(PluginModelTest, EveryLibraryLeftOutIsNamedWithItsReason) {
    PluginModel model;
    model.loadPlugins(&config);
    const std::string plugins = pluginFolder();
    const struct {
        const char* file;
        std::string reason;
    } expected[] = {
        {"broken.so", "共有ライブラリとして読み込めません：ELF 形式のファイルではありません。"},
        {"nocreate.so", "関数 _createExtractPlugin が見つかりません。"},
        {"norelease.so", "関数 _releaseExtractPlugin が見つかりません。"},
        {"sub/deeper/broken.dll", "共有ライブラリとして読み込めません：ELF 形式のファイルではありません。"},
        {"sub/emptyid.so", "プラグインの ID が空です。"},
        {"sub/null.so", "関数 _createExtractPlugin がプラグインを返しませんでした。"},
        {"sub/nullid.so", "プラグインの ID が空です。"},
        {"sub/throwingid.so", "getID で例外が発生しました。"},
        {"sub/twin.so", "ID「b」は先に読み込んだ " + plugins + "b.so と重複しています。"},
    };
    const std::vector<PluginLoadFailure> failures = model.getLoadFailures();
    ASSERT_EQ(failures.size(), std::size(expected));
    for (std::size_t i = 0; i < failures.size(); ++i) {
        EXPECT_EQ(failures[i].path, plugins + expected[i].file);
        EXPECT_EQ(failures[i].reason, expected[i].reason) << expected[i].file;
    }

    // Objects made and refused went back to their own libraries.
    const std::vector<ProbeEvent> events = probeEvents();
    for (const char* tag : {"testplugin_emptyid", "testplugin_nullid", "testplugin_throwingid"}) {
        EXPECT_TRUE(happened(events, "release", tag)) << tag;
        EXPECT_TRUE(happened(events, "unload", tag)) << tag;
    }

    // A reload starts the list afresh.
    model.loadPlugins(&config);
    EXPECT_EQ(model.getLoadFailures().size(), std::size(expected));
    model.unloadPlugins();
    EXPECT_TRUE(model.getLoadFailures().empty());
}

}  // namespace
