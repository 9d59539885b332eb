#include "platform/classlib/TComponent.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner)
{
    if (owner != nullptr) {
        owner->InsertComponent(this);
    }
}

TComponent::~TComponent()
{
    destroying = true;
    DestroyComponents();
    if (owner != nullptr) {
        owner->RemoveComponent(this);
    }
}

void TComponent::BeforeDestruction()
{
    destroying = true;
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount()) {
        return nullptr;
    }
    return components[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (owner == nullptr) {
        return -1;
    }
    auto found = std::find(owner->components.begin(), owner->components.end(), this);
    return static_cast<int>(found - owner->components.begin());
}

TComponent* TComponent::FindComponent(const std::string& componentName) const
{
    if (componentName.empty()) {
        return nullptr;
    }
    for (TComponent* component : components) {
        if (component->name == componentName) {
            return component;
        }
    }
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component == nullptr || component->owner == this) {
        return;
    }
    if (component->owner != nullptr) {
        component->owner->RemoveComponent(component);
    }
    components.push_back(component);
    component->owner = this;
    notifyAll(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (component == nullptr || component->owner != this) {
        return;
    }
    components.erase(std::remove(components.begin(), components.end(), component), components.end());
    component->owner = nullptr;
    notifyAll(component, opRemove);
}

void TComponent::DestroyComponents()
{
    while (!components.empty()) {
        TComponent* last = components.back();
        // Whole objects still: a subclass's teardown hooks (row and node deletion) are reached.
        last->BeforeDestruction();
        RemoveComponent(last);
        delete last;
    }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::notifyAll(TComponent* component, TOperation operation)
{
    Notification(component, operation);
    // By position: a notified component may change the list.
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (components[i] != component) {
            components[i]->Notification(component, operation);
        }
    }
}
