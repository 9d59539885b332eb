#pragma once

// The Qt side of the class library, for its own sources and for tests that drive its widgets.
// Nothing outside platform/classlib and tests includes this header.

#include <QString>

#include <functional>
#include <string>
#include <utility>

class QEventLoop;
class QWidget;
class TControl;
class TObject;
struct TMessageDlgRequest;

namespace classlib {

// Makes the Qt application when there is none yet.
void ensureApplication();

inline QString toQ(const std::string& text)
{
    return QString::fromStdString(text);
}

inline std::string fromQ(const QString& text)
{
    return text.toStdString();
}

template <typename Widget, typename... Args>
Widget* makeWidget(Args&&... args)
{
    ensureApplication();
    return new Widget(std::forward<Args>(args)...);
}

// Calls a handler on behalf of the window system. Exceptions must not cross Qt's event loop, so
// they end here, in TApplication::HandleException with the sender.
void dispatch(TObject* sender, const std::function<void()>& handler);

// The control that owns a widget, or null.
TControl* controlOf(const QWidget* widget);
void setControlOf(QWidget* widget, TControl* control);

// Message loops that TApplication::Terminate ends: Run's own and every modal loop inside it.
void pushLoop(QEventLoop* loop);
void popLoop(QEventLoop* loop);
void quitLoops();

// A message box answered by TDialogSeam or shown with Qt; returns the modal result.
int runMessageBox(const TMessageDlgRequest& request);

// The window that dialogs are shown over: the active window, else the main form's, else none.
QWidget* dialogParent();

}  // namespace classlib
