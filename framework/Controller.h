#pragma once

#include "framework/IController.h"

#include <string>
#include <vector>

class IValueObject;
class IView;

// The base of every controller: before, do and after over one value object. Nothing is caught;
// an exception from a step skips the steps after it. The value object of execute () and
// execute (view) dies with the call, so no step may keep it.
class Controller : public IController {
public:
    Controller();

    std::string execute() override;
    std::string execute(IView* view) override;
    std::string execute(IValueObject* values) override;
    void addRefreshView(IView* view) override;

    virtual ~Controller();

protected:
    virtual void beforeExecute(IValueObject* values);
    virtual void afterExecute(IValueObject* values, std::string result);
    // The action itself.
    virtual std::string doExecute(IValueObject* values) = 0;

private:
    std::vector<IView*> refreshViews;  // not owned
};
