#pragma once

#include "framework/IObservable.h"

#include <vector>

// The base of every model: keeps its observers and tells them of a change. No lock: observers are
// all registered at start-up, before any worker exists, so the list does not change while a
// worker notifies.
class Observable : public virtual IObservable {
public:
    Observable();
    virtual ~Observable();

    void addObserver(IObserver* observer) override;
    void notifyObservers() override;
    // An observer that registers another one during the notification has it updated in the same
    // notification, after the others.
    void notifyObservers(IValueObject* values) override;

private:
    std::vector<IObserver*> observers;
};
