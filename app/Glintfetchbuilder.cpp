#include "app/Glintfetchbuilder.h"

#include "app/IExtractView.h"
#include "app/IFileOptionView.h"
#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "app/IPluginOptionView.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/IController.h"

GlintfetchBuilder::GlintfetchBuilder(IGlintfetchFactory* factory) : factory(factory) {}

GlintfetchBuilder::~GlintfetchBuilder() = default;

IController* GlintfetchBuilder::build() {
    // The main window first: its form is the application's main form and the dialogs' parent.
    IMainView* mainView = factory->createMainView();
    IConfigModel* configModel = factory->createConfigModel();

    IFileOptionView* fileOptionView = factory->createFileOptionView(mainView);
    fileOptionView->setOKController(
        factory->createFileOptionOKController(fileOptionView, configModel));
    fileOptionView->setCancelController(factory->createCloseViewController(fileOptionView));
    configModel->addObserver(fileOptionView);

    IPluginModel* pluginModel = factory->createPluginModel();
    IPluginOptionView* pluginOptionView = factory->createPluginOptionView(mainView);
    pluginOptionView->setOKController(
        factory->createPluginOptionOKController(pluginOptionView, configModel));
    pluginOptionView->setCancelController(factory->createCloseViewController(pluginOptionView));
    pluginOptionView->setSelectController(
        factory->createPluginSelectController(pluginOptionView, pluginModel));
    pluginOptionView->setSwitchEnabledController(
        factory->createPluginSwitchEnabledController(pluginModel));
    pluginOptionView->setRefreshController(
        factory->createPluginRefreshController(pluginModel, configModel));
    pluginOptionView->setPropertyController(
        factory->createOpenPluginPropertyController(pluginModel, pluginOptionView));
    pluginModel->addObserver(pluginOptionView);

    IExtractModel* extractModel = factory->createExtractModel(configModel, pluginModel);
    IExtractView* extractView = factory->createExtractView(mainView);
    IController* cancel = factory->createExtractCancelController(extractModel);
    IController* close = factory->createCloseViewController(extractView);
    extractView->setCancelController(cancel);
    extractView->setCloseController(close);
    extractView->setOpenFolderController(factory->createOpenOutputFolderController(extractModel));
    extractModel->addObserver(extractView);

    mainView->setAddExtractFileController(factory->createAddExtractFileController(mainView));
    mainView->setAddDeviceController(factory->createAddDeviceController(mainView));
    mainView->setRemoveExtractFileController(
        factory->createRemoveExtractFileController(mainView));
    mainView->setExitController(factory->createCloseViewController(mainView));
    mainView->setFileOptionController(
        factory->createOpenFileOptionController(fileOptionView, configModel));
    mainView->setPluginOptionController(
        factory->createOpenPluginOptionController(pluginOptionView, pluginModel, configModel));
    // The factory itself, which registered the extraction model's runnable, makes its workers.
    mainView->setExtractController(
        factory->createExtractController(extractView, extractModel, factory));
    mainView->setVersionController(factory->createOpenVersionController());
    mainView->setCloseController(factory->createKeepMainWindowController(mainView, configModel));

    return factory->createOpenMainController(mainView, configModel);
}
