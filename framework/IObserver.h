#pragma once

class IObservable;
class IValueObject;

// Something that wants to hear of an observable's changes. update runs on the thread that
// notifies: for the extraction run that is its worker thread, so an observer that touches windows
// must carry the change over to the user-interface thread, and must never wait for it.
class IObserver {
public:
    // source is the notifying observable; values belong to the notifier and must not be kept
    // beyond the call.
    virtual void update(IObservable* source, IValueObject* values) = 0;

protected:
    ~IObserver() = default;
};
