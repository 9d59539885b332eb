#pragma once

#include "app/IGlintfetchFactory.h"
#include "framework/Tarnwickfactoryex.h"

class ConfigModel;
class ExtractModel;
class PluginModel;

// The application factory. Models are registered at every request, so that createThread of this
// factory accepts the extraction model's runnable and no other factory's.
//
// Destruction: the worker threads first, so that no run still uses a model; then the settings
// model, the plug-in model and the extraction model; then the framework part (its XML documents,
// then its other products).
class GlintfetchFactory : public TarnwickFactoryEx, public virtual IGlintfetchFactory {
public:
    GlintfetchFactory();
    ~GlintfetchFactory() override;

    IConfigModel* createConfigModel() override;
    IPluginModel* createPluginModel() override;
    IExtractModel* createExtractModel(IConfigModel* configModel,
                                      IPluginModel* pluginModel) override;

private:
    ConfigModel* configModel = nullptr;
    PluginModel* pluginModel = nullptr;
    ExtractModel* extractModel = nullptr;
};
