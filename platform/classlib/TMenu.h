#pragma once

#include "platform/classlib/TComponent.h"

#include <memory>

class QWidget;
class TMenuItem;

// A menu: the root item whose children are its entries, by position.
class TMenu : public TComponent {
public:
    ~TMenu() override;

    TMenuItem* Items() const { return items.get(); }

protected:
    // container: the menu bar or pop-up menu that shows the root's children; owned by the menu.
    TMenu(TComponent* owner, QWidget* container);
    QWidget* Container() const { return container; }

private:
    QWidget* container;
    std::unique_ptr<TMenuItem> items;
};
