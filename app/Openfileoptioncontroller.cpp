#include "app/Openfileoptioncontroller.h"

#include "engine/IConfigModel.h"

OpenFileOptionController::OpenFileOptionController(IView* view, IConfigModel* configModel)
    : OpenViewController(view)
    , configModel(configModel)
{
}

OpenFileOptionController::~OpenFileOptionController() = default;

void OpenFileOptionController::beforeExecute(IValueObject* values)
{
    configModel->notifyObservers(values);
}
