#pragma once

class IObserver;
class IValueObject;

// The face of every model towards its observers. Model interfaces extend it as a virtual base, so
// that a model deriving from Observable and from its interface holds one IObservable.
class IObservable {
public:
    // Appends the observer; no duplicate check, and observers are never removed or owned.
    virtual void addObserver(IObserver* observer) = 0;
    // Notifies with a new, empty value object that lives only for the notification.
    virtual void notifyObservers() = 0;
    // Calls update (this, values) on every observer in registration order, synchronously on the
    // calling thread. values stay the caller's.
    virtual void notifyObservers(IValueObject* values) = 0;

protected:
    ~IObservable() = default;
};
