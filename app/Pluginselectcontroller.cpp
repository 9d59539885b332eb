#include "app/Pluginselectcontroller.h"

#include "app/IPluginOptionView.h"
#include "app/Tpluginoptionform.h"
#include "engine/ExtractPlugin.h"
#include "engine/IPluginModel.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListView.h"

PluginSelectController::PluginSelectController(IView* view, IPluginModel* pluginModel)
    : view(view)
    , pluginModel(pluginModel)
{
}

PluginSelectController::~PluginSelectController() = default;

void PluginSelectController::onSelectItem(TObject* sender, TListItem*, bool)
{
    onEvent(sender);
}

std::string PluginSelectController::doExecute(IValueObject* values)
{
    if (dynamic_cast<IPluginOptionView*>(view) == nullptr) {
        return "Success";
    }
    TPluginOptionForm* form = dynamic_cast<TPluginOptionForm*>(view->getComponent());
    if (form == nullptr) {
        return "Success";
    }
    const std::string id = values->getValue("selectedPluginID");
    if (id.empty()) {
        form->PropertyBtn->SetEnabled(false);
        form->SwitchBtn->SetEnabled(false);
        return "Success";
    }
    IExtractPlugin* plugin = pluginModel->getPlugin(id);
    form->PropertyBtn->SetEnabled(plugin->hasProperty());
    form->SwitchBtn->SetEnabled(true);
    const bool enabled = plugin->isEnabled();
    form->SwitchBtn->SetCaption(enabled ? "無効にする" : "有効にする");
    if (TListItem* row = form->PluginsList->Selected()) {
        // Data first: the check-box handler must see the program's own change, not a click.
        row->SetData(enabled ? reinterpret_cast<void*>(1) : nullptr);
        row->SetChecked(enabled);
    }
    return "Success";
}
