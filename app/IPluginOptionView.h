#pragma once

#include "framework/IObserver.h"
#include "framework/IView.h"

class IController;

// The plug-in settings dialog as its controllers and the builder see it. It observes the plug-in
// model; its one value is "selectedPluginID", the identifier of the selected row's plug-in.
// A setter given a controller of another class than it needs wires nothing.
class IPluginOptionView : public virtual IView, public virtual IObserver {
public:
    virtual void setOKController(IController* controller) = 0;
    virtual void setCancelController(IController* controller) = 0;
    // Needs a PluginSwitchEnabledController: the switch button and the rows' check boxes.
    virtual void setSwitchEnabledController(IController* controller) = 0;
    virtual void setRefreshController(IController* controller) = 0;
    // The property button and a double click on a row.
    virtual void setPropertyController(IController* controller) = 0;
    // Needs a PluginSelectController: every change of the list's selection.
    virtual void setSelectController(IController* controller) = 0;

protected:
    ~IPluginOptionView() = default;
};
