#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IConfigModel;
class IMainView;
class IValueObject;

// Keeps the main window's size and maximised state in the settings file as the window closes, so
// that the next session opens it so. A maximised window keeps the size it had before, the one it
// returns to.
class KeepMainWindowController : public EventController {
public:
    KeepMainWindowController(IMainView* mainView, IConfigModel* configModel);
    ~KeepMainWindowController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IMainView* mainView;        // not owned
    IConfigModel* configModel;  // not owned
};
