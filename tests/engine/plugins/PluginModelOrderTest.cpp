// Beside a plugins folder whose files were made in the reverse of their path order, two of them
// with one identifier (see CMakeLists.txt).
#include "engine/Pluginmodel.h"
#include "tests/engine/plugins/Probe.h"
#include "tests/engine/plugins/UnusedConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The order, and which of two plug-ins with one identifier is used, follow the paths' byte order
// ("B.so" before "b.so", "c.so" before "c/d.so" before "c0.so"), the same at every load.
TEST(PluginModelOrderTest, PluginsLoadInThePathOrderWhateverOrderTheFilesWereMadeIn) {
    UnusedConfig config;
    PluginModel model;
    for (int load = 0; load < 2; ++load) {
        model.loadPlugins(&config);
        std::vector<std::string> tags;
        for (unsigned i = 0; i < model.getPluginCount(); ++i) tags.push_back(model.getPlugin(i)->getName());
        EXPECT_EQ(tags, (std::vector<std::string>{"testplugin_a", "testplugin_b", "testplugin_c",
                                                  "testplugin_d", "testplugin_e"}));
        EXPECT_EQ(std::string(model.getPlugin(std::string("b"))->getName()), "testplugin_b");
        ASSERT_EQ(model.getLoadFailures().size(), 1u);
        EXPECT_NE(model.getLoadFailures()[0].path.find("/plugins/c/twin.so"), std::string::npos);
    }
}

}  // namespace
