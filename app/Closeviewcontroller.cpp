#include "app/Closeviewcontroller.h"

#include "framework/IView.h"

CloseViewController::CloseViewController(IView* view)
    : view(view)
{
}

CloseViewController::~CloseViewController() = default;

std::string CloseViewController::doExecute(IValueObject*)
{
    view->close();
    return "Success";
}
