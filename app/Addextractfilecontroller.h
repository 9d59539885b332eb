#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IMainView;
class IValueObject;

// Adds the files chosen in an open-file dialog (several at once) to the main window's input list.
// The dialog opens in the folder of the last file added, at first in the user's home folder, and
// lists no hidden files.
class AddExtractFileController : public EventController {
public:
    explicit AddExtractFileController(IMainView* mainView);
    ~AddExtractFileController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IMainView* mainView;  // not owned
    std::string lastFolder;
};
