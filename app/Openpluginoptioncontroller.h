#pragma once

#include "app/Openviewcontroller.h"

#include <string>

class IConfigModel;
class IPluginModel;
class IValueObject;
class IView;

// Opens the plug-in settings dialog after reloading every plug-in, lets the dialog synchronise
// itself with the new load and names the plug-in files that could not be used.
//
// Once the dialog has closed, the settings are read again from config.xml, so that what the
// dialog changed and OK did not save (a switch undone by Cancel or the close box) is gone from
// memory as it is from the file that every run reads: the next opening shows what a run uses.
class OpenPluginOptionController : public OpenViewController {
public:
    OpenPluginOptionController(IView* view, IPluginModel* pluginModel, IConfigModel* configModel);
    ~OpenPluginOptionController() override;

protected:
    void beforeExecute(IValueObject* values) override;
    std::string doExecute(IValueObject* values) override;

private:
    IPluginModel* pluginModel;  // not owned
    IConfigModel* configModel;  // not owned; may be null
};
