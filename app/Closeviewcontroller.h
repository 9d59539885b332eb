#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IValueObject;
class IView;

// Closes a view.
class CloseViewController : public EventController {
public:
    explicit CloseViewController(IView* view);
    ~CloseViewController() override;

protected:
    std::string doExecute(IValueObject* values) override;

    IView* view;  // not owned
};
