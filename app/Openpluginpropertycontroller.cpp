#include "app/Openpluginpropertycontroller.h"

#include "engine/ExtractPlugin.h"
#include "engine/IPluginModel.h"
#include "framework/IValueObject.h"
#include "framework/IView.h"
#include "platform/classlib/TWinControl.h"

OpenPluginPropertyController::OpenPluginPropertyController(IPluginModel* pluginModel, IView* view)
    : pluginModel(pluginModel)
    , view(view)
{
}

OpenPluginPropertyController::~OpenPluginPropertyController() = default;

std::string OpenPluginPropertyController::doExecute(IValueObject* values)
{
    const std::string id = values->getValue("selectedPluginID");
    if (id.empty()) {
        return "Success";
    }
    IExtractPlugin* plugin = pluginModel->getPlugin(id);
    TWinControl* window = dynamic_cast<TWinControl*>(view->getComponent());
    plugin->showProperty(window != nullptr ? window->Handle() : nullptr);
    pluginModel->notifyObservers(values);
    return "Success";
}
