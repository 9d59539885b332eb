#include "app/Glintfetchbuilder.h"

#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "engine/IConfigModel.h"
#include "framework/IController.h"

GlintfetchBuilder::GlintfetchBuilder(IGlintfetchFactory* factory) : factory(factory) {}

GlintfetchBuilder::~GlintfetchBuilder() = default;

IController* GlintfetchBuilder::build() {
    IMainView* mainView = factory->createMainView();
    IConfigModel* configModel = factory->createConfigModel();

    mainView->setAddExtractFileController(factory->createAddExtractFileController(mainView));
    mainView->setRemoveExtractFileController(
        factory->createRemoveExtractFileController(mainView));
    mainView->setExitController(factory->createCloseViewController(mainView));
    mainView->setVersionController(factory->createOpenVersionController());

    return factory->createOpenMainController(mainView, configModel);
}
