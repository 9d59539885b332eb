#include "app/Glintfetchfactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IThread.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

GlintfetchFactory& concrete(const std::unique_ptr<IGlintfetchFactory>& factory) {
    return dynamic_cast<GlintfetchFactory&>(*factory);
}

TEST(GlintfetchFactoryTest, EachModelIsMadeOnceAndKnownOnlyToItsFactory) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();

    IConfigModel* settings = factory->createConfigModel();
    EXPECT_EQ(factory->createConfigModel(), settings);
    IPluginModel* plugins = factory->createPluginModel();
    EXPECT_EQ(factory->createPluginModel(), plugins);

    EXPECT_TRUE(concrete(factory).isCreatedObject(settings));
    EXPECT_TRUE(concrete(factory).isCreatedObject(plugins));
    EXPECT_FALSE(concrete(other).isCreatedObject(settings));
    EXPECT_FALSE(concrete(other).isCreatedObject(plugins));
}

TEST(GlintfetchFactoryTest, TheExtractionModelStaysBoundToItsFirstModels) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
    IExtractModel* extract =
        factory->createExtractModel(factory->createConfigModel(), factory->createPluginModel());
    EXPECT_EQ(factory->createExtractModel(other->createConfigModel(), other->createPluginModel()),
              extract);
}

TEST(GlintfetchFactoryTest, AWorkerIsMadeOnlyForTheExtractionModelOfTheSameFactory) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
    IExtractModel* extract =
        factory->createExtractModel(factory->createConfigModel(), factory->createPluginModel());
    IRunnable* runnable = extract;

    EXPECT_NE(factory->createThread(runnable), nullptr);
    EXPECT_THROW(other->createThread(runnable), FactoryException);
}

// Factories made and dropped for a short time, as the models do all along, leave the long-lived
// factory's objects and workers alone.
TEST(GlintfetchFactoryTest, AShortLivedFactoryGoesWithoutTouchingAnotherOnesObjects) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IExtractModel* extract =
        factory->createExtractModel(factory->createConfigModel(), factory->createPluginModel());
    IRunnable* runnable = extract;
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<IGlintfetchFactory> shortLived = createGlintfetchFactory();
        EXPECT_FALSE(concrete(shortLived).isCreatedObject(runnable));
        shortLived.reset();
    }
    EXPECT_TRUE(concrete(factory).isCreatedObject(runnable));
    EXPECT_EQ(factory->createExtractModel(nullptr, nullptr), extract);
    EXPECT_NE(factory->createThread(runnable), nullptr);
}

}  // namespace
