#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IMainView;
class IValueObject;

// Adds the files chosen in an open-file dialog (several at once) to the main window's input list.
class AddExtractFileController : public EventController {
public:
    explicit AddExtractFileController(IMainView* mainView);
    ~AddExtractFileController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IMainView* mainView;  // not owned
};
