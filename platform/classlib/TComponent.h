#pragma once

#include "platform/classlib/TObject.h"

#include <string>
#include <vector>

enum TOperation { opInsert, opRemove };

// A component belongs to its Owner, which destroys it with itself (the most recently inserted
// first). Owner links are plain pointers; the owner's list holds the only owning references.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    void BeforeDestruction() override;

    TComponent* Owner() const { return owner; }
    int ComponentCount() const { return static_cast<int>(components.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;

    std::string Name() const { return name; }
    void SetName(std::string newName) { name = std::move(newName); }
    TComponent* FindComponent(const std::string& componentName) const;

    // Ownership changes; the component keeps living.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Destroys every owned component, the last inserted first.
    void DestroyComponents();

    // True from the start of the component's destruction.
    bool Destroying() const { return destroying; }

    int Tag = 0;

protected:
    // Told to the owner and to every component it owns when a component joins or leaves it, so
    // that references to a component that goes away can be dropped.
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void notifyAll(TComponent* component, TOperation operation);

    TComponent* owner = nullptr;
    std::vector<TComponent*> components;
    std::string name;
    bool destroying = false;
};
