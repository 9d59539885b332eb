#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TWinControl.h"
#include "platform/classlib/Types.h"

#include <cstddef>
#include <memory>
#include <string>

class TMainMenu;

// A top-level window. Made with an owner component (the main form is owned by the application) or
// with a parent window handle, which makes it a dialog window over that window without an owner.
// A form is hidden until Show or ShowModal.
//
// Closing: Close on a modal form sets ModalResult to mrCancel; the modal loop ends as soon as
// ModalResult is not mrNone (a button with a ModalResult sets it when clicked) and then raises
// OnClose with caHide, where caNone keeps the form open. Close on a modeless form raises OnClose
// with caHide and then hides it (caHide), releases it (caFree) or leaves it (caNone); closing the
// application's main form ends TApplication::Run instead. The window's close box is Close.
//
// Size: a sizeable form (bsSizeable, the default) can be resized and, with biMaximize, maximised
// by the user; OnResize follows every change of its client area, the first when it is shown.
// WindowState may be set before the form is shown, which then shows it in that state.
//
// Keys: Enter clicks the focused button, or else the form's Default button; Esc clicks the Cancel
// button.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    explicit TForm(HWND parentWindow);
    explicit TForm(std::nullptr_t);
    ~TForm() override;

    // Raises OnCreate.
    void AfterConstruction() override;

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    void SetVisible(bool visible) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int width) override;
    void SetClientHeight(int height) override;

    void Show();
    void Hide();
    // Shows the form and runs a message loop until it closes; returns its ModalResult.
    virtual int ShowModal();
    void Close();
    // Destroys the form once the events under way have been handled.
    void Release();

    TModalResult ModalResult() const { return modalResult; }
    void SetModalResult(TModalResult result);
    bool Modal() const { return modal; }

    TFormBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position; }
    void SetPosition(TPosition newPosition) { position = newPosition; }

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);

    TMainMenu* Menu() const { return menu; }
    void SetMenu(TMainMenu* mainMenu);
    HWND ParentWindow() const { return parentWindow; }
    // Places the form, not yet shown, over a window of another module: the program's window
    // handed to a plug-in that has the class library of its own, whose handle is that window's
    // widget. A handle that is no live widget of this process changes nothing.
    void SetOtherModuleParentWindow(HWND handle);
    TWinControl* ActiveControl() const;
    void SetActiveControl(TWinControl* control);

    QWidget* ClientWidget() const override;

    TNotifyEvent OnCreate;
    TCloseEvent OnClose;
    TNotifyEvent OnResize;

    // The form's Enter and Esc keys; the class library's own code calls them.
    void DefaultKey();
    void CancelKey();
    // The client area changed its size; the class library's own code calls it.
    void ResizeClient();

protected:
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& action);
    // Raises OnResize.
    virtual void Resize();
    virtual bool CloseQuery();
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct Impl;
    TForm(TComponent* owner, HWND parentWindow);
    void applyBorder();
    void placeOnFirstShow();

    std::unique_ptr<Impl> impl;
    TModalResult modalResult = mrNone;
    bool modal = false;
    TFormBorderStyle borderStyle = bsSizeable;
    TBorderIcons borderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition position = poDesigned;
    TMainMenu* menu = nullptr;
    HWND parentWindow = nullptr;
    bool placed = false;
};

// The form that holds a control, or null.
TForm* GetParentForm(TControl* control);
