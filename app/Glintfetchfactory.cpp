#include "app/Glintfetchfactory.h"

#include "app/Adddevicecontroller.h"
#include "app/Addextractfilecontroller.h"
#include "app/Closeviewcontroller.h"
#include "app/Extractcancelcontroller.h"
#include "app/Extractcontroller.h"
#include "app/Extractview.h"
#include "app/Fileoptionokcontroller.h"
#include "app/Fileoptionview.h"
#include "app/Keepmainwindowcontroller.h"
#include "app/Mainview.h"
#include "app/Openfileoptioncontroller.h"
#include "app/Openmaincontroller.h"
#include "app/Openoutputfoldercontroller.h"
#include "app/Openpluginoptioncontroller.h"
#include "app/Openpluginpropertycontroller.h"
#include "app/Openversioncontroller.h"
#include "app/Openviewcontroller.h"
#include "app/Pluginoptionokcontroller.h"
#include "app/Pluginoptionview.h"
#include "app/Pluginrefreshcontroller.h"
#include "app/Pluginselectcontroller.h"
#include "app/Pluginswitchenabledcontroller.h"
#include "app/Removeextractfilecontroller.h"
#include "app/Textractform.h"
#include "app/Tfileoptionform.h"
#include "app/Tmainform.h"
#include "app/Tpluginoptionform.h"
#include "engine/Configmodel.h"
#include "engine/Extractmodel.h"
#include "engine/Pluginmodel.h"
#include "framework/Threadpool.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TWinControl.h"

namespace {

template <typename View, typename Form>
void destroyWindow(View*& view, Form*& form) {
    if (form == nullptr) return;
    delete view;
    view = nullptr;
    form->Free();
    form = nullptr;
}

// A dialog over the window of the parent view's form, which gets its window now if it has none.
template <typename View, typename Form>
View* dialog(View*& view, Form*& form, IView* parent) {
    if (form == nullptr) {
        auto* parentForm = dynamic_cast<TWinControl*>(parent->getComponent());
        form = new Form(parentForm != nullptr ? parentForm->Handle() : nullptr);
    }
    if (view == nullptr) view = new View(form);
    return view;
}

}  // namespace

GlintfetchFactory::GlintfetchFactory() = default;

GlintfetchFactory::~GlintfetchFactory() {
    // A run on a worker uses all three models; it must have ended before any of them goes.
    ThreadPool::releaseThreads(static_cast<ITarnwickFactory*>(this));
    delete configModel;
    delete pluginModel;
    delete extractModel;
    destroyWindow(mainView, mainForm);
    destroyWindow(fileOptionView, fileOptionForm);
    destroyWindow(pluginOptionView, pluginOptionForm);
    destroyWindow(extractView, extractForm);
    for (Controller* controller : controllers) delete controller;
    controllers.clear();
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

IMainView* GlintfetchFactory::createMainView() {
    if (mainForm == nullptr) Application->CreateForm(mainForm);
    // A form whose view failed to be made is kept (and destroyed with the factory); a later
    // request makes the view again.
    if (mainView == nullptr) mainView = new MainView(mainForm);
    return mainView;
}

IFileOptionView* GlintfetchFactory::createFileOptionView(IView* parent) {
    return dialog(fileOptionView, fileOptionForm, parent);
}

IPluginOptionView* GlintfetchFactory::createPluginOptionView(IView* parent) {
    return dialog(pluginOptionView, pluginOptionForm, parent);
}

IExtractView* GlintfetchFactory::createExtractView(IView* parent) {
    return dialog(extractView, extractForm, parent);
}

IController* GlintfetchFactory::keepController(Controller* controller) {
    controllers.push_back(controller);
    IController* handedOut = controller;
    registerCreatedObject(handedOut, controller);
    return handedOut;
}

IController* GlintfetchFactory::createAddExtractFileController(IMainView* view) {
    return keepController(new AddExtractFileController(view));
}

IController* GlintfetchFactory::createAddDeviceController(IMainView* view) {
    return keepController(new AddDeviceController(view));
}

IController* GlintfetchFactory::createRemoveExtractFileController(IMainView* view) {
    return keepController(new RemoveExtractFileController(view));
}

IController* GlintfetchFactory::createOpenViewController(IView* view) {
    return keepController(new OpenViewController(view));
}

IController* GlintfetchFactory::createCloseViewController(IView* view) {
    return keepController(new CloseViewController(view));
}

IController* GlintfetchFactory::createOpenMainController(IView* view, IConfigModel* settings) {
    return keepController(new OpenMainController(view, settings));
}

IController* GlintfetchFactory::createOpenFileOptionController(IView* view,
                                                                 IConfigModel* settings) {
    return keepController(new OpenFileOptionController(view, settings));
}

IController* GlintfetchFactory::createFileOptionOKController(IView* view,
                                                               IConfigModel* settings) {
    return keepController(new FileOptionOKController(view, settings));
}

IController* GlintfetchFactory::createOpenPluginOptionController(IView* view,
                                                                   IPluginModel* plugins,
                                                                   IConfigModel* settings) {
    return keepController(new OpenPluginOptionController(view, plugins, settings));
}

IController* GlintfetchFactory::createPluginOptionOKController(IView* view,
                                                                 IConfigModel* settings) {
    return keepController(new PluginOptionOKController(view, settings));
}

IController* GlintfetchFactory::createPluginRefreshController(IPluginModel* plugins,
                                                                IConfigModel* settings) {
    return keepController(new PluginRefreshController(plugins, settings));
}

IController* GlintfetchFactory::createPluginSelectController(IView* view,
                                                               IPluginModel* plugins) {
    return keepController(new PluginSelectController(view, plugins));
}

IController* GlintfetchFactory::createPluginSwitchEnabledController(IPluginModel* plugins) {
    return keepController(new PluginSwitchEnabledController(plugins));
}

IController* GlintfetchFactory::createOpenPluginPropertyController(IPluginModel* plugins,
                                                                     IView* view) {
    return keepController(new OpenPluginPropertyController(plugins, view));
}

IController* GlintfetchFactory::createExtractController(IView* view, IExtractModel* extract,
                                                          IGlintfetchFactory* factory) {
    return keepController(new ExtractController(view, extract, factory));
}

IController* GlintfetchFactory::createExtractCancelController(IExtractModel* extract) {
    return keepController(new ExtractCancelController(extract));
}

IController* GlintfetchFactory::createOpenOutputFolderController(IExtractModel* extract) {
    return keepController(new OpenOutputFolderController(extract));
}

IController* GlintfetchFactory::createOpenVersionController() {
    return keepController(new OpenVersionController);
}

IController* GlintfetchFactory::createKeepMainWindowController(IMainView* view,
                                                                IConfigModel* config) {
    return keepController(new KeepMainWindowController(view, config));
}

std::unique_ptr<IGlintfetchFactory> createGlintfetchFactory() {
    return std::make_unique<GlintfetchFactory>();
}
