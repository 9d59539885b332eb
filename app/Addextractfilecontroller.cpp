#include "app/Addextractfilecontroller.h"

#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "framework/IFileSelectView.h"
#include "framework/IResource.h"
#include "platform/shell/ShellPlaces.h"

#include <memory>

AddExtractFileController::AddExtractFileController(IMainView* mainView) : mainView(mainView) {}

AddExtractFileController::~AddExtractFileController() = default;

std::string AddExtractFileController::doExecute(IValueObject*) {
    // The dialog lives only as long as this factory, which is for this one choice.
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IFileSelectView* dialog = factory->createFileSelectView(mainView);
    dialog->setMultiSelect(true);
    dialog->setHiddenShown(false);
    dialog->setPath(lastFolder.empty() ? ShellPlaces::homePath() : lastFolder);
    dialog->show();
    for (unsigned index = 0; index < dialog->getFileCount(); ++index) {
        mainView->addExtractFile(dialog->getFileName(index));
    }
    if (dialog->getFileCount() > 0) {
        IResource* chosen = factory->createResource();
        chosen->setPath(dialog->getFileName(0));
        if (!chosen->getParent().empty()) {
            lastFolder = chosen->getParent();
        }
    }
    return "Success";
}
