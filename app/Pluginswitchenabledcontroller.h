#pragma once

#include "app/Eventcontroller.h"
#include "platform/classlib/Types.h"

#include <string>

class IPluginModel;
class IValueObject;
class TListItem;
class TObject;

// Switches the selected plug-in on or off, from the switch button or from a click on a row's
// check box, and lets the dialog synchronise itself.
class PluginSwitchEnabledController : public EventController {
public:
    explicit PluginSwitchEnabledController(IPluginModel* pluginModel);
    ~PluginSwitchEnabledController() override;

    // The list's OnChange. Only a check state that differs from the one the row's Data recorded
    // is a user's click; it selects the row and toggles its plug-in. Rows still being built (no
    // sub-items yet) are ignored.
    void onCheckChange(TObject* sender, TListItem* item, TItemChange change);

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IPluginModel* pluginModel;  // not owned
};
