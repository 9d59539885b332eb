#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TComponent.h"
#include "platform/classlib/Types.h"

#include <memory>
#include <string>

class QWidget;
class TFont;
class TPopupMenu;
class TWinControl;

// A control: a component drawn in a window. The Qt widget behind it is created by the subclass
// and owned by the control; Widget() gives it to the class library's own code and to tests.
// Coordinates are relative to the parent's client area.
//
// Handlers stored in the events are called when the user acts and when the program itself makes
// the change the event reports. An exception that leaves a handler called from the window system
// goes to TApplication::HandleException and no further; a handler called through a method of the
// control (Click, for example) passes its exceptions to that method's caller.
class TControl : public TComponent {
public:
    ~TControl() override;

    TWinControl* Parent() const { return parent; }
    virtual void SetParent(TWinControl* newParent);

    bool Visible() const;
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    virtual void SetEnabled(bool enabled);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    virtual void SetBounds(int left, int top, int width, int height);
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    virtual void SetClientWidth(int width);
    virtual void SetClientHeight(int height);
    void SetClientSize(int width, int height);

    // Caption and Text are one property, as in the class library; edits and memos show it as
    // their text, the others as their label.
    virtual std::string Caption() const;
    virtual void SetCaption(const std::string& caption);
    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }

    TCursor Cursor() const { return cursor; }
    void SetCursor(TCursor newCursor);
    TFont* Font() const { return font.get(); }
    TPopupMenu* PopupMenu() const { return popupMenu; }
    void SetPopupMenu(TPopupMenu* menu);

    virtual void Click();
    virtual void DblClick();
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    QWidget* Widget() const { return widget; }

protected:
    // widget: the control's own Qt widget, made by the subclass; the control owns it.
    TControl(TComponent* owner, QWidget* widget);
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TWinControl;
    friend class TForm;
    void applyFont();

    TWinControl* parent = nullptr;
    QWidget* widget;
    std::unique_ptr<TFont> font;
    TPopupMenu* popupMenu = nullptr;
    TCursor cursor = crDefault;
    bool visible = true;
};
