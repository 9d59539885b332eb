#include "app/Pluginswitchenabledcontroller.h"

#include "engine/ExtractPlugin.h"
#include "engine/IPluginModel.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TStrings.h"

PluginSwitchEnabledController::PluginSwitchEnabledController(IPluginModel* pluginModel)
    : pluginModel(pluginModel)
{
}

PluginSwitchEnabledController::~PluginSwitchEnabledController() = default;

void PluginSwitchEnabledController::onCheckChange(TObject* sender, TListItem* item, TItemChange)
{
    if (item == nullptr || item->SubItems()->Count() == 0) {
        return;
    }
    const bool checked = item->Checked();
    if (checked == (item->Data() != nullptr)) {
        return;
    }
    item->SetData(checked ? reinterpret_cast<void*>(1) : nullptr);
    item->SetSelected(true);
    onEvent(sender);
}

std::string PluginSwitchEnabledController::doExecute(IValueObject* values)
{
    const std::string id = values->getValue("selectedPluginID");
    if (!id.empty()) {
        IExtractPlugin* plugin = pluginModel->getPlugin(id);
        plugin->setEnabled(!plugin->isEnabled());
        pluginModel->notifyObservers(values);
    }
    return "Success";
}
