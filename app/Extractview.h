#pragma once

#include "app/IExtractView.h"
#include "framework/Formview.h"
#include "framework/IObserver.h"
#include "platform/classlib/Events.h"

#include <memory>

class IController;
class IObservable;
class IValueObject;
class TExtractForm;

// The extraction dialog's view: turns the extraction model's "status"/"log" notifications into
// bar positions (0..1000), the button's state and log lines.
//
// Threads. The run notifies on its worker, a cancel's "ABORTED" on the user-interface thread, and
// the controls belong to the user-interface thread. update therefore only records the change and
// hands it over through a queue that never makes the worker wait; the user-interface thread
// applies the changes in notification order. Consecutive progress changes are merged into the
// latest, and the log lines waiting are appended in one go, so that a run notifying at every
// buffer refill costs the user-interface thread one pass per turn of its loop, not one per
// notification. A notification on the user-interface thread is applied at once, after everything
// that came before it. After a final status ("COMPLETED", "ABORTED", "FAILED") nothing more of
// that run reaches the dialog; the next "START" opens it again.
class ExtractView : public FormView, public virtual IObserver, public virtual IExtractView {
public:
    // The form is not owned; the factory destroys it after the view. Made on the user-interface
    // thread.
    explicit ExtractView(TExtractForm* form);
    ~ExtractView() override;

    // Modal: returns once the dialog has closed.
    void show() override;

    void setCancelController(IController* controller) override;
    void setCloseController(IController* controller) override;

    void update(IObservable* source, IValueObject* values) override;

private:
    class Changes;

    void applyWaitingChanges();

    TExtractForm* extractForm;
    TNotifyEvent cancelHandler;
    TNotifyEvent closeHandler;
    std::unique_ptr<Changes> changes;
};
