#include "app/Removeextractfilecontroller.h"

#include "app/IMainView.h"

RemoveExtractFileController::RemoveExtractFileController(IMainView* mainView)
    : mainView(mainView) {}

RemoveExtractFileController::~RemoveExtractFileController() = default;

std::string RemoveExtractFileController::doExecute(IValueObject*) {
    mainView->removeSelectedExtractFiles();
    return "Success";
}
