#include "platform/classlib/TMenu.h"

#include "platform/classlib/TMenuItem.h"

#include <QPointer>
#include <QWidget>

TMenu::TMenu(TComponent* owner, QWidget* container)
    : TComponent(owner)
    , container(container)
    , items(new TMenuItem(nullptr))
{
    items->rootContainer = container;
}

TMenu::~TMenu()
{
    items.reset();
    delete container;
}
