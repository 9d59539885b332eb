#pragma once

#include "platform/classlib/Types.h"

#include <functional>
#include <string>
#include <utility>

class TObject;
class TListItem;
class TTreeNode;
struct TWMDropFiles;

// An event slot: a method of an object, bound to that object, as the class library stores its
// event handlers (OnClick = TNotifyEvent(controller, &EventController::onEvent)). Assigning a new
// closure replaces the old one; an empty closure does nothing when called. Data() is the bound
// object, so that a test can tell which object an event is wired to.
template <typename... Args>
class TMethodClosure {
public:
    TMethodClosure() = default;
    TMethodClosure(std::nullptr_t) {}

    template <typename Object, typename Method>
    TMethodClosure(Object* object, Method method)
        : data(static_cast<const void*>(object))
        , code([object, method](Args... args) { (object->*method)(std::forward<Args>(args)...); })
    {
    }

    // A handler that is not a method: data names what it belongs to (may be null).
    static TMethodClosure FromFunction(const void* data, std::function<void(Args...)> function)
    {
        TMethodClosure closure;
        closure.data = data;
        closure.code = std::move(function);
        return closure;
    }

    explicit operator bool() const { return static_cast<bool>(code); }
    const void* Data() const { return data; }

    void operator()(Args... args) const
    {
        // A copy: the handler may replace the very event it was called from.
        std::function<void(Args...)> call = code;
        if (call) {
            call(std::forward<Args>(args)...);
        }
    }

private:
    const void* data = nullptr;
    std::function<void(Args...)> code;
};

// Click, double click, creation, change of a tree's selection: the sender only.
typedef TMethodClosure<TObject*> TNotifyEvent;
// A form that closes: the action may be changed (caNone keeps the form open).
typedef TMethodClosure<TObject*, TCloseAction&> TCloseEvent;
// A row of a list view changed: its text, its image or its state (check box, selection, focus).
typedef TMethodClosure<TObject*, TListItem*, TItemChange> TLVChangeEvent;
// A row of a list view became selected or lost its selection.
typedef TMethodClosure<TObject*, TListItem*, bool> TLVSelectItemEvent;
// A row of a list view is being deleted.
typedef TMethodClosure<TObject*, TListItem*> TLVDeletedEvent;
// A node of a tree view: selected (OnChange) or being deleted (OnDeletion).
typedef TMethodClosure<TObject*, TTreeNode*> TTVChangedEvent;
// A node of a tree view is about to expand; clearing allow keeps it collapsed.
typedef TMethodClosure<TObject*, TTreeNode*, bool&> TTVExpandingEvent;
// A key went down in a control: the key (VK_ codes) and the shift keys held. Setting key to 0
// keeps the control from acting on it.
typedef TMethodClosure<TObject*, WORD&, TShiftState> TKeyEvent;
// The user is about to edit a node's caption in place; clearing allow keeps it as it is.
typedef TMethodClosure<TObject*, TTreeNode*, bool&> TTVEditingEvent;
// The user has edited a node's caption: text is what was typed, and what the node will show.
typedef TMethodClosure<TObject*, TTreeNode*, std::string&> TTVEditedEvent;
// Files and folders were dropped on a control that accepts them.
typedef TMethodClosure<TObject*, TWMDropFiles&> TDropFilesEvent;
