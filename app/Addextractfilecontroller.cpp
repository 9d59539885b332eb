#include "app/Addextractfilecontroller.h"

#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "framework/IFileSelectView.h"

#include <memory>

AddExtractFileController::AddExtractFileController(IMainView* mainView) : mainView(mainView) {}

AddExtractFileController::~AddExtractFileController() = default;

std::string AddExtractFileController::doExecute(IValueObject*) {
    // The dialog lives only as long as this factory, which is for this one choice.
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IFileSelectView* dialog = factory->createFileSelectView(mainView);
    dialog->setMultiSelect(true);
    dialog->show();
    for (unsigned index = 0; index < dialog->getFileCount(); ++index) {
        mainView->addExtractFile(dialog->getFileName(index));
    }
    return "Success";
}
