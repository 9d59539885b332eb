#pragma once

#include "app/Openviewcontroller.h"

class IConfigModel;
class IPluginModel;
class IValueObject;
class IView;

// Opens the plug-in settings dialog after reloading every plug-in, and lets the dialog
// synchronise itself with the new load.
class OpenPluginOptionController : public OpenViewController {
public:
    OpenPluginOptionController(IView* view, IPluginModel* pluginModel, IConfigModel* configModel);
    ~OpenPluginOptionController() override;

protected:
    void beforeExecute(IValueObject* values) override;

private:
    IPluginModel* pluginModel;  // not owned
    IConfigModel* configModel;  // not owned; may be null
};
