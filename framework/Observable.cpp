#include "framework/Observable.h"

#include "framework/IObserver.h"
#include "framework/Tarnwickfactory.h"

#include <memory>

Observable::Observable() = default;

Observable::~Observable() = default;

void Observable::addObserver(IObserver* observer) { observers.push_back(observer); }

void Observable::notifyObservers() {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    notifyObservers(factory->createValueObject());
}

void Observable::notifyObservers(IValueObject* values) {
    // By position, with the length read again at every step: an observer may register another.
    for (std::size_t i = 0; i < observers.size(); ++i) {
        observers[i]->update(this, values);
    }
}
