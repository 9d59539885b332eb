#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IValueObject;
class IView;

// Shows a view. For a dialog the show is modal, so the run, and the busy flag with it, lasts
// until the dialog has closed.
class OpenViewController : public EventController {
public:
    explicit OpenViewController(IView* view);
    ~OpenViewController() override;

protected:
    std::string doExecute(IValueObject* values) override;

    IView* view;  // not owned
};
