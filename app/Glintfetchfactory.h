#pragma once

#include "app/IGlintfetchFactory.h"
#include "framework/Tarnwickfactoryex.h"

#include <vector>

class ConfigModel;
class Controller;
class ExtractModel;
class MainView;
class PluginModel;
class TMainForm;

// The application factory. Models are registered at every request, so that createThread of this
// factory accepts the extraction model's runnable and no other factory's; controllers are
// registered once each; views are not registered.
//
// Destruction: the worker threads first, so that no run still uses a model; then the settings
// model, the plug-in model and the extraction model; then each view followed by its form (main
// window, file options, plug-in settings, extraction), so that no control outlives the view it
// reports to and no event reaches a controller that is gone; then the controllers in the order
// they were made; then the framework part (its XML documents, then its other products).
class GlintfetchFactory : public TarnwickFactoryEx, public virtual IGlintfetchFactory {
public:
    GlintfetchFactory();
    ~GlintfetchFactory() override;

    IConfigModel* createConfigModel() override;
    IPluginModel* createPluginModel() override;
    IExtractModel* createExtractModel(IConfigModel* configModel,
                                      IPluginModel* pluginModel) override;
    IMainView* createMainView() override;
    IController* createAddExtractFileController(IMainView* mainView) override;
    IController* createRemoveExtractFileController(IMainView* mainView) override;
    IController* createOpenViewController(IView* view) override;
    IController* createCloseViewController(IView* view) override;
    IController* createOpenMainController(IView* view, IConfigModel* configModel) override;
    IController* createOpenVersionController() override;

private:
    IController* keepController(Controller* controller);

    ConfigModel* configModel = nullptr;
    PluginModel* pluginModel = nullptr;
    ExtractModel* extractModel = nullptr;
    TMainForm* mainForm = nullptr;
    MainView* mainView = nullptr;
    std::vector<Controller*> controllers;
};
