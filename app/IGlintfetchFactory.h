#pragma once

#include "framework/ITarnwickFactory.h"
#include "framework/ITarnwickFactoryEx.h"

#include <memory>

class IConfigModel;
class IController;
class IExtractModel;
class IExtractView;
class IFileOptionView;
class IMainView;
class IPluginModel;
class IPluginOptionView;
class IView;

// The application factory: the one place where the program's models, views (each with its form)
// and controllers are made, and a framework factory as well, so that every framework object is
// reachable through it. It owns everything it made and deletes all of it when it is destroyed.
//
// There is at most one model and one view of each kind per factory: the first request makes it,
// every later request returns the same object. Every controller request makes a new controller.
// Factories made for a short time, only for framework objects, are never asked for a model, a
// view or a controller.
class IGlintfetchFactory : public virtual ITarnwickFactoryEx, public virtual ITarnwickFactory {
public:
    ~IGlintfetchFactory() override = default;

    virtual IConfigModel* createConfigModel() = 0;
    virtual IPluginModel* createPluginModel() = 0;
    // A later request ignores its arguments: the model stays bound to the models of the first.
    virtual IExtractModel* createExtractModel(IConfigModel* configModel,
                                              IPluginModel* pluginModel) = 0;
    // The main window; its form becomes the application's main form.
    virtual IMainView* createMainView() = 0;
    // The dialogs: each form is made over the window of the parent view's form, hidden. A later
    // request returns the same view and does not look at its parent.
    virtual IFileOptionView* createFileOptionView(IView* parent) = 0;
    virtual IPluginOptionView* createPluginOptionView(IView* parent) = 0;
    virtual IExtractView* createExtractView(IView* parent) = 0;
    virtual IController* createAddExtractFileController(IMainView* mainView) = 0;
    virtual IController* createAddDeviceController(IMainView* mainView) = 0;
    virtual IController* createRemoveExtractFileController(IMainView* mainView) = 0;
    virtual IController* createOpenViewController(IView* view) = 0;
    virtual IController* createCloseViewController(IView* view) = 0;
    virtual IController* createOpenMainController(IView* view, IConfigModel* configModel) = 0;
    virtual IController* createOpenFileOptionController(IView* view,
                                                        IConfigModel* configModel) = 0;
    virtual IController* createFileOptionOKController(IView* view, IConfigModel* configModel) = 0;
    virtual IController* createOpenPluginOptionController(IView* view, IPluginModel* pluginModel,
                                                          IConfigModel* configModel) = 0;
    virtual IController* createPluginOptionOKController(IView* view,
                                                        IConfigModel* configModel) = 0;
    virtual IController* createPluginRefreshController(IPluginModel* pluginModel,
                                                       IConfigModel* configModel) = 0;
    virtual IController* createPluginSelectController(IView* view, IPluginModel* pluginModel) = 0;
    virtual IController* createPluginSwitchEnabledController(IPluginModel* pluginModel) = 0;
    virtual IController* createOpenPluginPropertyController(IPluginModel* pluginModel,
                                                            IView* view) = 0;
    // factory: the one that made the extraction model, so that it accepts the model's runnable
    // for the worker thread.
    virtual IController* createExtractController(IView* view, IExtractModel* extractModel,
                                                 IGlintfetchFactory* factory) = 0;
    virtual IController* createExtractCancelController(IExtractModel* extractModel) = 0;
    virtual IController* createOpenOutputFolderController(IExtractModel* extractModel) = 0;
    virtual IController* createOpenVersionController() = 0;
    virtual IController* createKeepMainWindowController(IMainView* mainView,
                                                        IConfigModel* configModel) = 0;
};

// A new application factory: it and everything it made die with the pointer. The only way the
// program makes one; the engine's models make short-lived ones for their framework objects.
std::unique_ptr<IGlintfetchFactory> createGlintfetchFactory();
