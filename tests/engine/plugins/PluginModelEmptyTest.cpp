// Built three times: beside no plugins folder, beside a file named plugins, and beside an empty
// plugins folder. Each finds nothing.
#include "engine/Pluginmodel.h"
#include "framework/Exception.h"
#include "tests/engine/plugins/Probe.h"
#include "tests/engine/plugins/UnusedConfig.h"

#include <gtest/gtest.h>

namespace {

void expectNothingLoaded(PluginModel& model) {
    EXPECT_EQ(model.getPluginCount(), 0u);
    EXPECT_EQ(model.getPluginIndex("a"), -1);
    EXPECT_EQ(model.getPluginIndex(""), -1);
    try {
        model.getPlugin(std::string("a"));
        ADD_FAILURE() << "no IOException";
    } catch (const IOException& e) {
        EXPECT_EQ(e.getMessage(), "ロードされているプラグインはありません。");
    }
    try {
        model.getPlugin(0u);
        ADD_FAILURE() << "no IndexOutOfBoundsException";
    } catch (const IndexOutOfBoundsException& e) {
        EXPECT_EQ(e.getMessage(), "範囲外のインデックスが指定されました。");
    }
}

TEST(PluginModelWithoutPlugins, IsEmptyBeforeAndAfterLoading) {
    probeClear();
    PluginModel model;
    expectNothingLoaded(model);

    UnusedConfig config;
    model.loadPlugins(&config);
    expectNothingLoaded(model);
    model.loadPlugins(&config);
    expectNothingLoaded(model);
    EXPECT_TRUE(probeEvents().empty());
}

}  // namespace
