#pragma once

#include <string>

class IValueObject;
class TComponent;

// What a controller talks to: something that can be shown and closed, carries a title, writes the
// user's input into a value object and gives access to the class-library component behind it.
// The view interfaces of the desktop user interface extend this one as a virtual base, so that an
// object holds one IView however many view interfaces it implements. Views are deleted through
// their own classes by the factory that made them, so there is no virtual destructor here.
class IView {
public:
    virtual void show() = 0;
    virtual void close() = 0;
    virtual std::string getTitle() = 0;
    virtual void setTitle(std::string title) = 0;
    virtual void getValues(IValueObject* values) = 0;
    virtual void refresh(IValueObject* values) = 0;
    virtual TComponent* getComponent() = 0;

protected:
    ~IView() = default;
};
