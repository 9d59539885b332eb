#include "app/Glintfetchfactory.h"

#include "app/Addextractfilecontroller.h"
#include "app/Closeviewcontroller.h"
#include "app/Mainview.h"
#include "app/Openmaincontroller.h"
#include "app/Openversioncontroller.h"
#include "app/Openviewcontroller.h"
#include "app/Removeextractfilecontroller.h"
#include "app/Tmainform.h"
#include "engine/Configmodel.h"
#include "engine/Extractmodel.h"
#include "engine/Pluginmodel.h"
#include "framework/Threadpool.h"
#include "platform/classlib/TApplication.h"

namespace {

template <typename View, typename Form>
void destroyWindow(View*& view, Form*& form) {
    if (form == nullptr) return;
    delete view;
    view = nullptr;
    form->Free();
    form = nullptr;
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

IController* GlintfetchFactory::keepController(Controller* controller) {
    controllers.push_back(controller);
    IController* handedOut = controller;
    registerCreatedObject(handedOut, controller);
    return handedOut;
}

IController* GlintfetchFactory::createAddExtractFileController(IMainView* view) {
    return keepController(new AddExtractFileController(view));
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

IController* GlintfetchFactory::createOpenVersionController() {
    return keepController(new OpenVersionController);
}

std::unique_ptr<IGlintfetchFactory> createGlintfetchFactory() {
    return std::make_unique<GlintfetchFactory>();
}
