#include "app/Extractcancelcontroller.h"

#include "engine/IExtractModel.h"

ExtractCancelController::ExtractCancelController(IExtractModel* extractModel)
    : extractModel(extractModel)
{
}

ExtractCancelController::~ExtractCancelController() = default;

void ExtractCancelController::onClose(TObject* sender, TCloseAction&)
{
    onEvent(sender);
}

std::string ExtractCancelController::doExecute(IValueObject*)
{
    extractModel->abort();
    return "Success";
}
