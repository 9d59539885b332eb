#include "app/Eventcontroller.h"

#include "framework/Exception.h"
#include "framework/Tbaseform.h"
#include "platform/classlib/TComponent.h"
#include "platform/classlib/core/Sysutils.h"

namespace {

// Clears the busy flag however the run ends, before an exception travels on.
class BusyScope {
public:
    explicit BusyScope(bool& flag)
        : flag(flag)
    {
        flag = true;
    }
    ~BusyScope() { flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag;
};

}  // namespace

EventController::EventController() = default;

EventController::~EventController() = default;

void EventController::onEvent(TObject* sender)
{
    if (busy) {
        return;
    }
    BusyScope scope(busy);
    try {
        runFor(sender);
    } catch (const Exception& exception) {
        // The message loop knows only the class library's exceptions and would show one of ours
        // as an error box without text; the user must read what went wrong.
        throw Sysutils::Exception(exception.getMessage());
    }
}

void EventController::runFor(TObject* sender)
{
    TComponent* component = dynamic_cast<TComponent*>(sender);
    while (component != nullptr) {
        // A component that is being destroyed no longer belongs to a window whose values could
        // be read: in C++ a form under destruction has already lost its own class, so the walk
        // would otherwise pass it and run the action for its owner.
        if (component->Destroying()) {
            return;
        }
        // The type test is kept apart from the action: a bad_cast of the action's own must leave
        // with the action, not send the walk on to run it once more for the owner.
        TBaseForm* form = dynamic_cast<TBaseForm*>(component);
        if (form == nullptr) {
            component = component->Owner();
            continue;
        }
        try {
            execute(form->getView());
        } catch (const IllegalStatusException&) {
        }
        return;
    }
    execute();
}
