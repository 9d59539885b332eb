#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IMainView;
class IValueObject;

// Removes the selected rows from the main window's input list.
class RemoveExtractFileController : public EventController {
public:
    explicit RemoveExtractFileController(IMainView* mainView);
    ~RemoveExtractFileController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IMainView* mainView;  // not owned
};
