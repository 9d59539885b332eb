// Built three times: beside no plugins folder, beside a file named plugins, and beside an empty
// plugins folder. Each finds nothing.
#include "engine/Pluginmodel.h"
#include "framework/Exception.h"
#include "tests/engine/plugins/Probe.h"

#include <gtest/gtest.h>

namespace {

class UnusedConfig : public IExtractConfig {
public:
    int getMaxExtractSize() override { return -1; }
    int getMinExtractSize() override { return 0; }
    void getProperty(const char*, char* buffer, const char*) override { buffer[0] = '\0'; }
    int getPropertyLength(const char*, const char*) override { return 1; }
    void setProperty(const char*, const char*, const char*) override {}
};

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
