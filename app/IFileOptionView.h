#pragma once

#include "framework/IObserver.h"
#include "framework/IView.h"

class IController;

// The file-option dialog as its controllers and the builder see it. It observes the settings
// model, from which it fills its controls at every notification.
class IFileOptionView : public virtual IView, public virtual IObserver {
public:
    // A controller that is not an EventController wires nothing.
    virtual void setOKController(IController* controller) = 0;
    virtual void setCancelController(IController* controller) = 0;

protected:
    ~IFileOptionView() = default;
};
