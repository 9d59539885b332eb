#pragma once

#include "platform/classlib/TControl.h"
#include "platform/classlib/Types.h"

#include <string>
#include <vector>

class QWidget;

// The window parameters a control asks for before its window is made.
struct TCreateParams {
    unsigned Style = 0;
    unsigned ExStyle = 0;
};

// Files and folders dropped on a control: their local paths, in the order the other program gave
// them, without a trailing "/".
struct TWMDropFiles {
    std::vector<std::string> Files;
};

// A control that has a window of its own, can hold child controls and take the input focus.
// Keys pressed while it has the focus reach KeyDown (VK_ codes) before the control acts on them.
//
// The window is made on demand: when Handle() is asked for, when the control's form is shown, or
// when the control is put into a parent whose window exists. Making it runs CreateWnd, which a
// subclass overrides to finish its window (attaching image lists, for example) after calling the
// inherited one; CreateWnd asks CreateParams first. RecreateWnd makes the window again.
//
// Keys pressed while the control has the focus reach KeyDown, then OnKeyDown, before the control
// acts on them; a handler that sets the key to 0 takes the key from the control. Keys without a
// virtual key code (see Types.h) are not reported.
//
// A control whose CreateParams sets WS_EX_ACCEPTFILES accepts files and folders dropped from
// other programs (text/uri-list); the local paths among them reach WMDropFiles, and a drop
// without local paths is refused.
class TWinControl : public TControl {
public:
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return handleAllocated; }
    void HandleNeeded();
    void RecreateWnd();
    // The control whose window the handle is, or null.
    static TWinControl* FindControl(HWND handle);

    int ControlCount() const { return static_cast<int>(controls.size()); }
    TControl* Controls(int index) const;

    void SetFocus();
    bool Focused() const;
    bool CanFocus() const;
    int TabOrder() const { return tabOrder; }
    void SetTabOrder(int order);

    // Where dropped files arrive; the default does nothing.
    virtual void WMDropFiles(TWMDropFiles& message);

    TKeyEvent OnKeyDown;

    // The widget that child controls are placed in (the client area of a form).
    virtual QWidget* ClientWidget() const;
    // The widget that receives drops (the viewport of a list or tree).
    virtual QWidget* DropTarget() const;

protected:
    TWinControl(TComponent* owner, QWidget* widget);
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    // Raises OnKeyDown.
    virtual void KeyDown(WORD& key, TShiftState shift);

private:
    friend class TControl;
    friend class TWinControlKeyFilter;
    void insertControl(TControl* control);
    void removeControl(TControl* control);
    void applyTabOrder();

    std::vector<TControl*> controls;
    bool handleAllocated = false;
    bool acceptsFiles = false;
    int tabOrder = -1;
};
