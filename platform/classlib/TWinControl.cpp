#include "platform/classlib/TWinControl.h"

#include "platform/classlib/Qtsupport.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <unordered_map>

namespace {

std::unordered_map<HWND, TWinControl*>& handles()
{
    static std::unordered_map<HWND, TWinControl*> live;
    return live;
}

std::vector<std::string> localPaths(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        QString path = url.toLocalFile();
        // Folders come as ".../name/"; the program compares paths as the shell writes them.
        while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
            path.chop(1);
        }
        if (!path.isEmpty()) {
            paths.push_back(classlib::fromQ(path));
        }
    }
    return paths;
}

// Takes the drag-and-drop events of a control's drop target.
class DropFilter : public QObject {
public:
    DropFilter(TWinControl* control, QObject* parent) : QObject(parent), control(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (localPaths(drag->mimeData()).empty()) {
                drag->ignore();
            } else {
                drag->acceptProposedAction();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            TWMDropFiles message{localPaths(drop->mimeData())};
            if (message.Files.empty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            classlib::dispatch(control, [this, &message] { control->WMDropFiles(message); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TWinControl* control;
};

// The virtual key code of a Qt key, or 0 for a key without one.
WORD virtualKey(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return static_cast<WORD>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
    }
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Menu:
        return VK_APPS;
    default:
        return 0;
    }
}

TShiftState shiftOf(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift;
    if (modifiers & Qt::ShiftModifier) {
        shift << ssShift;
    }
    if (modifiers & Qt::AltModifier) {
        shift << ssAlt;
    }
    if (modifiers & Qt::ControlModifier) {
        shift << ssCtrl;
    }
    return shift;
}

}  // namespace

// Hands the keys of a control's window to KeyDown before the widget sees them.
class TWinControlKeyFilter : public QObject {
public:
    TWinControlKeyFilter(TWinControl* control, QObject* parent) : QObject(parent), control(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Only keys pressed in the control's own widget: a key that a child left unused comes
        // up to its parent's widget as well, and is the child's.
        if (event->type() != QEvent::KeyPress || watched != control->Widget()) {
            return QObject::eventFilter(watched, event);
        }
        auto* press = static_cast<QKeyEvent*>(event);
        WORD key = virtualKey(press->key());
        if (key == 0) {
            return false;
        }
        TShiftState shift = shiftOf(press->modifiers());
        classlib::dispatch(control, [this, &key, shift] { control->KeyDown(key, shift); });
        return key == 0;
    }

private:
    TWinControl* control;
};

namespace {

const char* const dropFilterName = "glintfetchDropFilter";


}  // namespace

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget)
{
    widget->installEventFilter(new TWinControlKeyFilter(this, widget));
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    OnKeyDown(this, key, shift);
}

TWinControl::~TWinControl()
{
    DestroyComponents();
    // The class library destroys a window's child controls with it, owned elsewhere or not.
    while (!controls.empty()) {
        TControl* child = controls.back();
        child->BeforeDestruction();
        delete child;
    }
    if (handleAllocated) {
        handles().erase(Widget());
        handleAllocated = false;
    }
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return Widget();
}

void TWinControl::HandleNeeded()
{
    if (handleAllocated) {
        return;
    }
    CreateWnd();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (auto* child = dynamic_cast<TWinControl*>(controls[i])) {
            child->HandleNeeded();
        }
    }
}

void TWinControl::RecreateWnd()
{
    if (handleAllocated) {
        DestroyWnd();
    }
    HandleNeeded();
}

TWinControl* TWinControl::FindControl(HWND handle)
{
    auto found = handles().find(handle);
    return found == handles().end() ? nullptr : found->second;
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount()) {
        return nullptr;
    }
    return controls[static_cast<std::size_t>(index)];
}

void TWinControl::SetFocus()
{
    Widget()->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const
{
    return Widget()->hasFocus();
}

bool TWinControl::CanFocus() const
{
    return Widget()->isEnabled() && Widget()->isVisible();
}

void TWinControl::SetTabOrder(int order)
{
    tabOrder = order;
    if (Parent() != nullptr) {
        Parent()->applyTabOrder();
    }
}

void TWinControl::WMDropFiles(TWMDropFiles&) {}


QWidget* TWinControl::ClientWidget() const
{
    return Widget();
}

QWidget* TWinControl::DropTarget() const
{
    return Widget();
}

void TWinControl::CreateParams(TCreateParams&) {}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    acceptsFiles = (params.ExStyle & WS_EX_ACCEPTFILES) != 0;
    QWidget* target = DropTarget();
    target->setAcceptDrops(acceptsFiles);
    QObject* filter = target->findChild<QObject*>(QLatin1String(dropFilterName), Qt::FindDirectChildrenOnly);
    if (acceptsFiles && filter == nullptr) {
        filter = new DropFilter(this, target);
        filter->setObjectName(QLatin1String(dropFilterName));
        target->installEventFilter(filter);
    } else if (!acceptsFiles && filter != nullptr) {
        delete filter;
    }
    handleAllocated = true;
    handles()[Widget()] = this;
}

void TWinControl::DestroyWnd()
{
    handles().erase(Widget());
    handleAllocated = false;
}

void TWinControl::insertControl(TControl* control)
{
    controls.push_back(control);
    applyTabOrder();
}

void TWinControl::removeControl(TControl* control)
{
    controls.erase(std::remove(controls.begin(), controls.end(), control), controls.end());
}

void TWinControl::applyTabOrder()
{
    std::vector<TWinControl*> ordered;
    for (TControl* control : controls) {
        if (auto* child = dynamic_cast<TWinControl*>(control)) {
            ordered.push_back(child);
        }
    }
    // Numbered controls first, by number; the others after them in the order they came.
    std::stable_sort(ordered.begin(), ordered.end(), [](TWinControl* a, TWinControl* b) {
        if (a->tabOrder < 0 || b->tabOrder < 0) {
            return a->tabOrder >= 0 && b->tabOrder < 0;
        }
        return a->tabOrder < b->tabOrder;
    });
    for (std::size_t i = 1; i < ordered.size(); ++i) {
        QWidget::setTabOrder(ordered[i - 1]->Widget(), ordered[i]->Widget());
    }
}
