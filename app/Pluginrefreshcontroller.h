#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IConfigModel;
class IPluginModel;
class IValueObject;

// Reloads every plug-in, has the dialog rebuild its list ("Operation" "REFRESH") and names the
// plug-in files that could not be used.
class PluginRefreshController : public EventController {
public:
    PluginRefreshController(IPluginModel* pluginModel, IConfigModel* configModel);
    ~PluginRefreshController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IPluginModel* pluginModel;  // not owned
    IConfigModel* configModel;  // not owned; may be null
};
