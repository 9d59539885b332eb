#include "framework/Observable.h"

#include "framework/IObserver.h"
#include "framework/Valueobject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Update {
    std::string observer;
    IObservable* source;
    IValueObject* values;
};

class RecordingObserver : public IObserver {
public:
    RecordingObserver(std::string name, std::vector<Update>& log) : name(std::move(name)), log(log) {}
    void update(IObservable* source, IValueObject* values) override {
        log.push_back({name, source, values});
        if (onUpdate) onUpdate(values);
    }
    std::function<void(IValueObject*)> onUpdate;

private:
    std::string name;
    std::vector<Update>& log;
};

}  // namespace

TEST(ObservableTest, NotifyingWithoutObserversDoesNothing) {
    Observable observable;
    ValueObject values;
    observable.notifyObservers(&values);
    observable.notifyObservers();
    EXPECT_EQ(values.getValueCount("status"), 0u);
}

TEST(ObservableTest, ObserversHearInRegistrationOrderOncePerRegistration) {
    std::vector<Update> log;
    RecordingObserver a("a", log), b("b", log);
    Observable observable;
    observable.addObserver(&a);
    observable.addObserver(&b);
    observable.addObserver(&a);
    ValueObject values;
    observable.notifyObservers(&values);
    ASSERT_EQ(log.size(), 3u);
    const char* expected[] = {"a", "b", "a"};
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].observer, expected[i]);
        EXPECT_EQ(log[i].source, static_cast<IObservable*>(&observable));
        EXPECT_EQ(log[i].values, &values);
    }
}

TEST(ObservableTest, ObserverAddedDuringANotificationHearsItLast) {
    std::vector<Update> log;
    RecordingObserver first("first", log), second("second", log), late("late", log);
    Observable observable;
    bool added = false;
    first.onUpdate = [&](IValueObject*) {
        if (!added) observable.addObserver(&late);
        added = true;
    };
    observable.addObserver(&first);
    observable.addObserver(&second);
    ValueObject values;
    observable.notifyObservers(&values);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2].observer, "late");
}

TEST(ObservableTest, NotifyingWithoutValuesHandsOverAnEmptyValueObject) {
    std::vector<Update> log;
    RecordingObserver observer("o", log);
    std::vector<std::string> seen;
    observer.onUpdate = [&](IValueObject* values) {
        ASSERT_NE(values, nullptr);
        seen.push_back(values->getValue("status") + "|" + std::to_string(values->getValueCount("log")));
    };
    Observable observable;
    observable.addObserver(&observer);
    observable.notifyObservers();
    EXPECT_EQ(seen, std::vector<std::string>{"|0"});
}
