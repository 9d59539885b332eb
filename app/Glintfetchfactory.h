#pragma once

#include "app/IGlintfetchFactory.h"
#include "framework/Tarnwickfactoryex.h"

#include <vector>

class ConfigModel;
class Controller;
class ExtractModel;
class ExtractView;
class FileOptionView;
class MainView;
class PluginModel;
class PluginOptionView;
class TExtractForm;
class TFileOptionForm;
class TMainForm;
class TPluginOptionForm;

// The application factory. Models are registered at every request, so that createThread of this
// factory accepts the extraction model's runnable and no other factory's; controllers are
// registered once each; views are not registered.
//
// Destruction: the worker threads first, so that no run still uses a model; then the settings
// model, the plug-in model and the extraction model; then each view followed by its form (the
// main window, file options, plug-in settings, extraction), so that no event reaches a controller
// that is gone; then the controllers in the order they were made; then the framework part (its XML
// documents, then its other products).
class GlintfetchFactory : public TarnwickFactoryEx, public virtual IGlintfetchFactory {
public:
    GlintfetchFactory();
    ~GlintfetchFactory() override;

    IConfigModel* createConfigModel() override;
    IPluginModel* createPluginModel() override;
    IExtractModel* createExtractModel(IConfigModel* configModel,
                                      IPluginModel* pluginModel) override;
    IMainView* createMainView() override;
    IFileOptionView* createFileOptionView(IView* parent) override;
    IPluginOptionView* createPluginOptionView(IView* parent) override;
    IExtractView* createExtractView(IView* parent) override;
    IController* createAddExtractFileController(IMainView* mainView) override;
    IController* createAddDeviceController(IMainView* mainView) override;
    IController* createRemoveExtractFileController(IMainView* mainView) override;
    IController* createOpenViewController(IView* view) override;
    IController* createCloseViewController(IView* view) override;
    IController* createOpenMainController(IView* view, IConfigModel* configModel) override;
    IController* createOpenFileOptionController(IView* view, IConfigModel* configModel) override;
    IController* createFileOptionOKController(IView* view, IConfigModel* configModel) override;
    IController* createOpenPluginOptionController(IView* view, IPluginModel* pluginModel,
                                                  IConfigModel* configModel) override;
    IController* createPluginOptionOKController(IView* view, IConfigModel* configModel) override;
    IController* createPluginRefreshController(IPluginModel* pluginModel,
                                               IConfigModel* configModel) override;
    IController* createPluginSelectController(IView* view, IPluginModel* pluginModel) override;
    IController* createPluginSwitchEnabledController(IPluginModel* pluginModel) override;
    IController* createOpenPluginPropertyController(IPluginModel* pluginModel,
                                                    IView* view) override;
    IController* createExtractController(IView* view, IExtractModel* extractModel,
                                         IGlintfetchFactory* factory) override;
    IController* createExtractCancelController(IExtractModel* extractModel) override;
    IController* createOpenOutputFolderController(IExtractModel* extractModel) override;
    IController* createOpenVersionController() override;
    IController* createKeepMainWindowController(IMainView* mainView,
                                                IConfigModel* configModel) override;

private:
    IController* keepController(Controller* controller);

    ConfigModel* configModel = nullptr;
    PluginModel* pluginModel = nullptr;
    ExtractModel* extractModel = nullptr;
    TMainForm* mainForm = nullptr;
    MainView* mainView = nullptr;
    TFileOptionForm* fileOptionForm = nullptr;
    FileOptionView* fileOptionView = nullptr;
    TPluginOptionForm* pluginOptionForm = nullptr;
    PluginOptionView* pluginOptionView = nullptr;
    TExtractForm* extractForm = nullptr;
    ExtractView* extractView = nullptr;
    std::vector<Controller*> controllers;
};
