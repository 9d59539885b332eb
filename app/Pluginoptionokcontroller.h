#pragma once

#include "app/Closeviewcontroller.h"

class IConfigModel;
class IValueObject;
class IView;

// The plug-in settings dialog's OK: saves config.xml (where the plug-ins keep their properties)
// and closes the dialog. A failed save is shown to the user with its message; the dialog closes
// all the same.
class PluginOptionOKController : public CloseViewController {
public:
    PluginOptionOKController(IView* view, IConfigModel* configModel);
    ~PluginOptionOKController() override;

protected:
    void beforeExecute(IValueObject* values) override;

private:
    IConfigModel* configModel;  // not owned
};
