#include "app/Pluginrefreshcontroller.h"

#include "app/Pluginloadfailuremessage.h"
#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"
#include "framework/IValueObject.h"

PluginRefreshController::PluginRefreshController(IPluginModel* pluginModel, IConfigModel* configModel)
    : pluginModel(pluginModel)
    , configModel(configModel)
{
}

PluginRefreshController::~PluginRefreshController() = default;

std::string PluginRefreshController::doExecute(IValueObject* values)
{
    pluginModel->loadPlugins(configModel);
    values->setValue("Operation", "REFRESH");
    pluginModel->notifyObservers(values);
    PluginLoadFailureMessage::show(pluginModel);
    return "Success";
}
