#include "app/Glintfetchfactory.h"

#include "engine/Configmodel.h"
#include "engine/Extractmodel.h"
#include "engine/Pluginmodel.h"
#include "framework/Threadpool.h"

GlintfetchFactory::GlintfetchFactory() = default;

GlintfetchFactory::~GlintfetchFactory() {
    // A run on a worker uses all three models; it must have ended before any of them goes.
    ThreadPool::releaseThreads(static_cast<ITarnwickFactory*>(this));
    delete configModel;
    delete pluginModel;
    delete extractModel;
}

IConfigModel* GlintfetchFactory::createConfigModel() {
    if (configModel == nullptr) configModel = new ConfigModel;
    IConfigModel* handedOut = configModel;
    registerCreatedObject(handedOut, configModel);
    return handedOut;
}

IPluginModel* GlintfetchFactory::createPluginModel() {
    if (pluginModel == nullptr) pluginModel = new PluginModel;
    IPluginModel* handedOut = pluginModel;
    registerCreatedObject(handedOut, pluginModel);
    return handedOut;
}

IExtractModel* GlintfetchFactory::createExtractModel(IConfigModel* settings,
                                                     IPluginModel* plugins) {
    if (extractModel == nullptr) extractModel = new ExtractModel(settings, plugins);
    // The runnable is what createThread is asked about, so it is the pointer registered.
    IRunnable* runnable = extractModel;
    registerCreatedObject(runnable, extractModel);
    return extractModel;
}

std::unique_ptr<IGlintfetchFactory> createGlintfetchFactory() {
    return std::make_unique<GlintfetchFactory>();
}
