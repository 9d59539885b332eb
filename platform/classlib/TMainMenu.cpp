#include "platform/classlib/TMainMenu.h"

#include "platform/classlib/Qtsupport.h"

#include <QMenuBar>

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner, classlib::makeWidget<QMenuBar>())
{
    // A menu bar inside the window on every desktop, so that tests find it in the form.
    MenuBar()->setNativeMenuBar(false);
}

TMainMenu::~TMainMenu() = default;

QMenuBar* TMainMenu::MenuBar() const
{
    return static_cast<QMenuBar*>(Container());
}
