#include "platform/classlib/TMenuItem.h"

#include "platform/classlib/Qtsupport.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include <algorithm>

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner)
{
    classlib::ensureApplication();
    action = new QAction();
    QObject::connect(action, &QAction::triggered, action, [this](bool) { classlib::dispatch(this, [this] { Click(); }); });
}

TMenuItem::~TMenuItem()
{
    if (parentItem != nullptr) {
        parentItem->Remove(this);
    }
    // The children belong to their owner component, which destroys them; here they only leave.
    for (TMenuItem* child : items) {
        child->parentItem = nullptr;
    }
    items.clear();
    delete subMenu;
    delete action;
}

void TMenuItem::SetCaption(const std::string& text)
{
    caption = text;
    action->setSeparator(text == "-");
    action->setText(classlib::toQ(text));
}

bool TMenuItem::Enabled() const
{
    return action->isEnabled();
}

void TMenuItem::SetEnabled(bool enabled)
{
    action->setEnabled(enabled);
}

bool TMenuItem::Visible() const
{
    return action->isVisible();
}

void TMenuItem::SetVisible(bool visible)
{
    action->setVisible(visible);
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return items[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (item == nullptr || item == this) {
        return;
    }
    if (item->parentItem != nullptr) {
        item->parentItem->Remove(item);
    }
    index = std::clamp(index, 0, Count());
    items.insert(items.begin() + index, item);
    item->parentItem = this;
    attachChild(item, index);
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto found = std::find(items.begin(), items.end(), item);
    if (found == items.end()) {
        return;
    }
    items.erase(found);
    item->parentItem = nullptr;
    if (QWidget* container = childContainer()) {
        container->removeAction(item->action);
    }
}

int TMenuItem::MenuIndex() const
{
    if (parentItem == nullptr) {
        return -1;
    }
    auto& siblings = parentItem->items;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TMenuItem::Click()
{
    if (Enabled()) {
        OnClick(this);
    }
}

QWidget* TMenuItem::childContainer()
{
    if (rootContainer != nullptr) {
        return rootContainer;
    }
    if (subMenu == nullptr) {
        subMenu = new QMenu();
        action->setMenu(subMenu);
    }
    return subMenu;
}

void TMenuItem::attachChild(TMenuItem* item, int index)
{
    QAction* before = (index + 1 < Count()) ? items[static_cast<std::size_t>(index) + 1]->action : nullptr;
    childContainer()->insertAction(before, item->action);
}
