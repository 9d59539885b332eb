#include "app/Pluginoptionview.h"

#include "app/Eventcontroller.h"
#include "app/Pluginselectcontroller.h"
#include "app/Pluginswitchenabledcontroller.h"
#include "app/Tpluginoptionform.h"
#include "engine/ExtractPlugin.h"
#include "engine/IPluginModel.h"
#include "framework/IController.h"
#include "framework/IValueObject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TStrings.h"

#include <string>

namespace {

const int idSubItem = 2;

std::string rowId(const TListItem* row)
{
    TStrings* subItems = row->SubItems();
    return subItems->Count() > idSubItem ? subItems->Get(idSubItem) : std::string();
}

// A plug-in's texts come from outside; a null one reads as empty.
std::string text(const char* pluginText)
{
    return pluginText != nullptr ? pluginText : "";
}

void* checkData(bool checked)
{
    return checked ? reinterpret_cast<void*>(1) : nullptr;
}

}  // namespace

PluginOptionView::PluginOptionView(TPluginOptionForm* form)
    : FormView(form)
    , pluginOptionForm(form)
{
}

PluginOptionView::~PluginOptionView() = default;

void PluginOptionView::show()
{
    pluginOptionForm->ShowModal();
}

void PluginOptionView::getValues(IValueObject* values)
{
    TListView* list = pluginOptionForm->PluginsList;
    if (list->SelCount() > 0) {
        values->setValue("selectedPluginID", rowId(list->Selected()));
    }
}

void PluginOptionView::setOKController(IController* controller)
{
    if (EventController* eventController = dynamic_cast<EventController*>(controller)) {
        pluginOptionForm->OKBtn->OnClick = TNotifyEvent(eventController, &EventController::onEvent);
    }
}

void PluginOptionView::setCancelController(IController* controller)
{
    if (EventController* eventController = dynamic_cast<EventController*>(controller)) {
        pluginOptionForm->CancelBtn->OnClick = TNotifyEvent(eventController, &EventController::onEvent);
    }
}

void PluginOptionView::setSwitchEnabledController(IController* controller)
{
    PluginSwitchEnabledController* switcher = dynamic_cast<PluginSwitchEnabledController*>(controller);
    if (switcher == nullptr) {
        return;
    }
    EventController* asEvent = switcher;
    pluginOptionForm->SwitchBtn->OnClick = TNotifyEvent(asEvent, &EventController::onEvent);
    pluginOptionForm->PluginsList->OnChange =
        TLVChangeEvent(switcher, &PluginSwitchEnabledController::onCheckChange);
}

void PluginOptionView::setRefreshController(IController* controller)
{
    if (EventController* eventController = dynamic_cast<EventController*>(controller)) {
        pluginOptionForm->RefreshBtn->OnClick = TNotifyEvent(eventController, &EventController::onEvent);
    }
}

void PluginOptionView::setPropertyController(IController* controller)
{
    if (EventController* eventController = dynamic_cast<EventController*>(controller)) {
        TNotifyEvent handler(eventController, &EventController::onEvent);
        pluginOptionForm->PropertyBtn->OnClick = handler;
        pluginOptionForm->PluginsList->OnDblClick = handler;
    }
}

void PluginOptionView::setSelectController(IController* controller)
{
    if (PluginSelectController* selector = dynamic_cast<PluginSelectController*>(controller)) {
        pluginOptionForm->PluginsList->OnSelectItem =
            TLVSelectItemEvent(selector, &PluginSelectController::onSelectItem);
    }
}

void PluginOptionView::update(IObservable* source, IValueObject* values)
{
    IPluginModel* model = dynamic_cast<IPluginModel*>(source);
    if (model == nullptr) {
        return;
    }
    TListView* list = pluginOptionForm->PluginsList;
    if (list->Items()->Count() == 0 || values->getValue("Operation") == "REFRESH") {
        rebuild(model);
    } else if (!rowsMirror(model)) {
        // Plug-ins were added, removed or reordered since the rows were built: row positions no
        // longer are model indices, so the rows are built anew, and the plug-in that was
        // selected stays selected when it is still there.
        const std::string keptId = list->SelCount() > 0 ? rowId(list->Selected()) : std::string();
        rebuild(model);
        const int keptIndex = keptId.empty() ? -1 : model->getPluginIndex(keptId);
        if (keptIndex >= 0) {
            list->SetItemIndex(keptIndex);
        }
    }

    // Every row's check box, not only the selected one's: a switch that Cancel undid must not
    // stay ticked on a row that is no longer selected. The rows mirror the model by now.
    TListItems* rows = list->Items();
    for (unsigned i = 0; i < model->getPluginCount() && static_cast<int>(i) < rows->Count(); ++i) {
        TListItem* row = rows->Item(static_cast<int>(i));
        // Data first: the check-box handler must see the program's own change, not a click.
        const bool enabled = model->getPlugin(i)->isEnabled();
        row->SetData(checkData(enabled));
        row->SetChecked(enabled);
    }

    if (model->getPluginCount() == 0) {
        return;
    }
    const std::string id = list->SelCount() > 0 ? rowId(list->Selected()) : std::string();
    int index = model->getPluginIndex(id);
    if (index < 0) {
        index = 0;
    }
    list->SetItemIndex(index);
    TListItem* row = list->Items()->Item(index);
    list->SetItemFocused(row);
    // Selected again even when it already was, so that the selection handlers set the buttons.
    row->SetSelected(false);
    row->SetSelected(true);
    if (pluginOptionForm->Visible()) {
        list->SetFocus();
    }
}

bool PluginOptionView::rowsMirror(IPluginModel* model) const
{
    TListItems* rows = pluginOptionForm->PluginsList->Items();
    const unsigned count = model->getPluginCount();
    if (static_cast<unsigned>(rows->Count()) != count) {
        return false;
    }
    for (unsigned i = 0; i < count; ++i) {
        if (rowId(rows->Item(static_cast<int>(i))) != text(model->getPlugin(i)->getID())) {
            return false;
        }
    }
    return true;
}

void PluginOptionView::rebuild(IPluginModel* model)
{
    TListItems* rows = pluginOptionForm->PluginsList->Items();
    rows->BeginUpdate();
    struct EndUpdate {
        TListItems* rows;
        ~EndUpdate() { rows->EndUpdate(); }
    } endUpdate{rows};
    rows->Clear();
    // The check box is set while the row has no sub-items, which the check-box handler ignores,
    // and Data already agrees with it once the sub-items exist.
    for (unsigned i = 0; i < model->getPluginCount(); ++i) {
        IExtractPlugin* plugin = model->getPlugin(i);
        TListItem* row = rows->Add();
        const bool enabled = plugin->isEnabled();
        row->SetChecked(enabled);
        row->SetCaption(text(plugin->getName()));
        row->SetData(checkData(enabled));
        row->SubItems()->Add(text(plugin->getVersion()));
        row->SubItems()->Add(text(plugin->getVendor()));
        row->SubItems()->Add(text(plugin->getID()));
    }
}
