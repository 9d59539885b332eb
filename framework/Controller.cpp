#include "framework/Controller.h"

#include "framework/IView.h"
#include "framework/Tarnwickfactory.h"

#include <memory>
#include <utility>

Controller::Controller() = default;

Controller::~Controller() = default;

std::string Controller::execute() {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    return execute(factory->createValueObject());
}

std::string Controller::execute(IView* view) {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IValueObject* values = factory->createValueObject();
    view->getValues(values);
    std::string result = execute(values);
    for (IView* refreshView : refreshViews) {
        refreshView->refresh(values);
    }
    return result;
}

std::string Controller::execute(IValueObject* values) {
    beforeExecute(values);
    std::string result = doExecute(values);
    afterExecute(values, result);
    return result;
}

void Controller::addRefreshView(IView* view) { refreshViews.push_back(view); }

void Controller::beforeExecute(IValueObject*) {}

void Controller::afterExecute(IValueObject*, std::string) {}
