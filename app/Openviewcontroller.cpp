#include "app/Openviewcontroller.h"

#include "framework/IView.h"

OpenViewController::OpenViewController(IView* view)
    : view(view)
{
}

OpenViewController::~OpenViewController() = default;

std::string OpenViewController::doExecute(IValueObject*)
{
    view->show();
    return "Success";
}
