#pragma once

#include <string>

class IValueObject;
class IView;

// Turns a user action into one run of a controller's steps over a value object. Each execute
// returns the controller's result text ("Success", "Failure", "Cancelled") unchanged.
class IController {
public:
    // Runs with a new, empty value object.
    virtual std::string execute() = 0;
    // Runs with a new value object that the view fills (IView::getValues), then refreshes the
    // registered views.
    virtual std::string execute(IView* view) = 0;
    // Runs with the given values: before, do, after.
    virtual std::string execute(IValueObject* values) = 0;
    virtual void addRefreshView(IView* view) = 0;

protected:
    ~IController() = default;
};
