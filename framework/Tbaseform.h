#pragma once

#include "platform/classlib/TForm.h"
#include "platform/classlib/Types.h"

class IView;

// The form class of every window: it knows the view over it, so that an event of any control can
// be traced through the control's owners to the form and from there to the view whose values the
// controller needs. Neither the form nor the view owns the other.
class TBaseForm : public TForm {
public:
    explicit TBaseForm(TComponent* owner);
    explicit TBaseForm(HWND parentWindow);
    ~TBaseForm() override;
    void BeforeDestruction() override;

    // Raises IllegalStatusException while no view is attached, which includes the form's own
    // destruction: an event raised then must not reach a view that is going away.
    virtual IView* getView();
    virtual void setView(IView* view);

private:
    IView* view = nullptr;  // not owned
};
