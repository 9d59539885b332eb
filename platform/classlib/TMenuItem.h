#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TComponent.h"

#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// An item of a main menu or a pop-up menu, and the list of the items below it. The item belongs
// to its owner component (the form); its place in the menu is its parent item, which does not own
// it. A caption of "-" makes a separator; "&" marks the accelerator letter.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    std::string Caption() const { return caption; }
    void SetCaption(const std::string& text);
    bool IsLine() const { return caption == "-"; }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);

    int Count() const { return static_cast<int>(items.size()); }
    TMenuItem* Items(int index) const;
    TMenuItem* operator[](int index) const { return Items(index); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    TMenuItem* Parent() const { return parentItem; }
    int MenuIndex() const;

    // Raises OnClick, as choosing the item does.
    virtual void Click();
    TNotifyEvent OnClick;

    // The Qt side, for the class library's own code and for tests.
    QAction* Action() const { return action; }
    // The menu that shows this item's children (made with the first child), or null.
    QMenu* SubMenu() const { return subMenu; }

private:
    friend class TMenu;
    // Where the children's actions go: a menu bar, a pop-up menu, or this item's own submenu.
    QWidget* childContainer();
    void attachChild(TMenuItem* item, int index);

    std::string caption;
    QAction* action;
    QMenu* subMenu = nullptr;
    QWidget* rootContainer = nullptr;  // set on the root item of a menu
    TMenuItem* parentItem = nullptr;
    std::vector<TMenuItem*> items;
};
