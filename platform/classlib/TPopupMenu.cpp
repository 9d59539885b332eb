#include "platform/classlib/TPopupMenu.h"

#include "platform/classlib/Qtsupport.h"

#include <QMenu>

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner, classlib::makeWidget<QMenu>()) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int x, int y)
{
    OnPopup(this);
    Menu()->popup(QPoint(x, y));
}

QMenu* TPopupMenu::Menu() const
{
    return static_cast<QMenu*>(Container());
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == popupComponent) {
        popupComponent = nullptr;
    }
}
