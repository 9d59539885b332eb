#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Expected {
    const char* folder;
    const char* id;
    const char* kind;
    bool hasProperty;
};

const Expected samples[] = {
    {"png", "glintfetch.png", "png", false}, {"jpeg", "glintfetch.jpeg", "jpg", true},
    {"gif", "glintfetch.gif", "gif", false}, {"bmp", "glintfetch.bmp", "bmp", false},
    {"wav", "glintfetch.wav", "wav", false}, {"avi", "glintfetch.avi", "avi", false},
    {"tif", "glintfetch.tif", "tif", false}, {"dng", "glintfetch.dng", "dng", false},
    {"cr2", "glintfetch.cr2", "cr2", false}, {"nef", "glintfetch.nef", "nef", false},
    {"arw", "glintfetch.arw", "arw", false}, {"orf", "glintfetch.orf", "orf", false},
    {"rw2", "glintfetch.rw2", "rw2", false}, {"ico", "glintfetch.ico", "ico", false},
    {"cur", "glintfetch.cur", "cur", false}, {"psd", "glintfetch.psd", "psd", false},
    {"webp", "glintfetch.webp", "webp", false},
    {"aif", "glintfetch.aif", "aif", false},
    {"mid", "glintfetch.mid", "mid", false},
    {"userdefined", "glintfetch.userdefined", "bin", true},
};

bool holdsNonAscii(const std::string& text)
{
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return true;
        }
    }
    return false;
}

class PluginExportsTest : public ::testing::TestWithParam<Expected> {
};

TEST_P(PluginExportsTest, DescribesItselfThroughTheContract)
{
    const Expected& expected = GetParam();
    LoadedPlugin plugin(expected.folder);
    EXPECT_STREQ(plugin->getID(), expected.id);
    EXPECT_STREQ(plugin->getKind(), expected.kind);
    EXPECT_STREQ(plugin->getVendor(), "glintfetch");
    EXPECT_STRNE(plugin->getVersion(), "");
    EXPECT_TRUE(holdsNonAscii(plugin->getName())) << "the caption is Japanese: " << plugin->getName();
    EXPECT_GT(plugin->getWindowSize(), 0u);
    EXPECT_LE(plugin->getWindowSize(), 64u);
    EXPECT_EQ(plugin->hasProperty(), expected.hasProperty);
    EXPECT_TRUE(plugin->isEnabled());
    EXPECT_EQ(plugin.release(), 1);
}

TEST_P(PluginExportsTest, EnabledFlagSurvivesAReloadThroughTheConfiguration)
{
    const Expected& expected = GetParam();
    FakeExtractConfig config;
    {
        LoadedPlugin plugin(expected.folder);
        plugin->setConfig(&config);
        EXPECT_TRUE(plugin->isEnabled()) << "enabled while nothing is stored";
        plugin->setEnabled(false);
        EXPECT_FALSE(plugin->isEnabled());
    }
    EXPECT_EQ(config.property(expected.id, "enabled"), "false");
    {
        LoadedPlugin plugin(expected.folder);
        plugin->setConfig(&config);
        EXPECT_FALSE(plugin->isEnabled());
        plugin->setEnabled(true);
    }
    LoadedPlugin plugin(expected.folder);
    plugin->setConfig(&config);
    EXPECT_TRUE(plugin->isEnabled());
}

TEST_P(PluginExportsTest, EveryObjectIsItsOwn)
{
    const Expected& expected = GetParam();
    FakeExtractConfig config;
    LoadedPlugin first(expected.folder);
    LoadedPlugin second(expected.folder);
    EXPECT_NE(first.get(), second.get());
    first->setConfig(&config);
    second->setConfig(&config);
    first->setEnabled(false);
    EXPECT_TRUE(second->isEnabled()) << "the flag is read from the settings only at setConfig";
}

INSTANTIATE_TEST_SUITE_P(Samples, PluginExportsTest, ::testing::ValuesIn(samples),
                         [](const auto& info) { return std::string(info.param.folder); });

TEST(PluginExports, IdentifiersAndKindsAreUnique)
{
    std::set<std::string> ids;
    std::set<std::string> kinds;
    for (const Expected& expected : samples) {
        LoadedPlugin plugin(expected.folder);
        ids.insert(plugin->getID());
        kinds.insert(plugin->getKind());
    }
    EXPECT_EQ(ids.size(), std::size(samples));
    EXPECT_EQ(kinds.size(), std::size(samples));
}

}
