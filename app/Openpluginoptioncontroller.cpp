#include "app/Openpluginoptioncontroller.h"

#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"

OpenPluginOptionController::OpenPluginOptionController(IView* view, IPluginModel* pluginModel,
                                                       IConfigModel* configModel)
    : OpenViewController(view)
    , pluginModel(pluginModel)
    , configModel(configModel)
{
}

OpenPluginOptionController::~OpenPluginOptionController() = default;

void OpenPluginOptionController::beforeExecute(IValueObject* values)
{
    pluginModel->loadPlugins(configModel);
    // No "Operation": the dialog keeps its rows when they still stand for the new load.
    pluginModel->notifyObservers(values);
}
