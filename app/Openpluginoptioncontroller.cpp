#include "app/Openpluginoptioncontroller.h"

#include "app/Pluginloadfailuremessage.h"
#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"

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
    PluginLoadFailureMessage::show(pluginModel);
}

std::string OpenPluginOptionController::doExecute(IValueObject* values)
{
    const std::string result = OpenViewController::doExecute(values);
    if (configModel != nullptr) {
        try {
            configModel->load();
        } catch (const Exception&) {
            // A config.xml that can no longer be read leaves the settings in memory as they are;
            // the next run reports the file itself.
        }
    }
    return result;
}
