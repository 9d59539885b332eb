#pragma once

#include "app/Openviewcontroller.h"

#include <string>

class IConfigModel;
class IValueObject;
class IView;

// The start-up controller: loads the settings, or, when they cannot be loaded, writes the default
// settings in their place. A settings file that exists but could not be read is first kept beside
// itself as config.xml.bak, so that the user's settings are never lost to the defaults, and the
// user is told so, with both files and why the file could not be read. Connected to no control;
// the program runs it once before the message loop starts.
class OpenMainController : public OpenViewController {
public:
    OpenMainController(IView* view, IConfigModel* configModel);
    ~OpenMainController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    static std::string settingsPath();
    // The backup's path; empty when there was no file to keep.
    static std::string keepUnreadableSettings();

    IConfigModel* configModel;  // not owned
};
