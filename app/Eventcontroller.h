#pragma once

#include "framework/Controller.h"

class TObject;

// The base of every controller of the user interface. onEvent has the form of a notify event, so
// it can be stored in any OnClick or OnDblClick: it runs the controller with the values of the
// form that owns the control that raised the event, and ignores further events while that run
// lasts (a modal dialog or message box opened by the action pumps events meanwhile).
class EventController : public Controller {
public:
    EventController();
    ~EventController() override;

    virtual void onEvent(TObject* sender);

    bool isBusy() const { return busy; }

private:
    void runFor(TObject* sender);

    bool busy = false;
};
