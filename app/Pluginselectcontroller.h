#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IPluginModel;
class IValueObject;
class IView;
class TListItem;
class TObject;

// Keeps the switch and property buttons and the selected row's check box in step with the
// selected plug-in; with no row selected both buttons are disabled.
class PluginSelectController : public EventController {
public:
    PluginSelectController(IView* view, IPluginModel* pluginModel);
    ~PluginSelectController() override;

    // The list's OnSelectItem, for a row gaining and losing the selection alike.
    virtual void onSelectItem(TObject* sender, TListItem* item, bool selected);

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IView* view;                // not owned; the plug-in settings view
    IPluginModel* pluginModel;  // not owned
};
