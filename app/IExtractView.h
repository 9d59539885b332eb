#pragma once

#include "framework/IObserver.h"
#include "framework/IView.h"

class IController;

// The extraction dialog as its controllers and the builder see it. It observes the extraction
// model, whose run notifies on its worker thread.
class IExtractView : public virtual IObserver, public virtual IView {
public:
    // Wired to the button while a run goes and to the form's closing; a controller that is not
    // an ExtractCancelController wires nothing.
    virtual void setCancelController(IController* controller) = 0;
    // Wired to the button once a run has ended; a controller that is not an EventController
    // wires nothing.
    virtual void setCloseController(IController* controller) = 0;
    // Wired to the button that opens the output folder, which can be pressed once a run has
    // ended; a controller that is not an EventController wires nothing.
    virtual void setOpenFolderController(IController* controller) = 0;

protected:
    ~IExtractView() = default;
};
