#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IPluginModel;
class IValueObject;
class IView;

// Shows the selected plug-in's own property dialog over the plug-in settings dialog, whatever
// hasProperty answers (a double click on a row gets here even when the button is disabled).
class OpenPluginPropertyController : public EventController {
public:
    OpenPluginPropertyController(IPluginModel* pluginModel, IView* view);
    ~OpenPluginPropertyController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IPluginModel* pluginModel;  // not owned
    IView* view;                // not owned; the plug-in settings view
};
