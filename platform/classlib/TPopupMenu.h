#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TMenu.h"

class QMenu;

// A context menu, shown by a right click on the control whose PopupMenu it is, or by Popup.
class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Shows the menu at a screen position and returns; a choice raises the item's OnClick.
    virtual void Popup(int x, int y);
    // The control that the menu was last shown for.
    TComponent* PopupComponent() const { return popupComponent; }
    void SetPopupComponent(TComponent* component) { popupComponent = component; }
    TNotifyEvent OnPopup;

    QMenu* Menu() const;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TComponent* popupComponent = nullptr;
};
