#include "platform/classlib/TForm.h"

#include "platform/classlib/EInvalidOperation.h"
#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TMainMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The form's window: its close box and its Enter and Esc keys go to the form.
class FormWindow : public QWidget {
public:
    TForm* form = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (form != nullptr) {
            classlib::dispatch(form, [this] { form->Close(); });
        }
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (form != nullptr && event->modifiers() == Qt::NoModifier) {
            switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                classlib::dispatch(form, [this] { form->DefaultKey(); });
                return;
            case Qt::Key_Escape:
                classlib::dispatch(form, [this] { form->CancelKey(); });
                return;
            default:
                break;
            }
        }
        QWidget::keyPressEvent(event);
    }
};

// The form's client area: its changes of size go to the form.
class FormClient : public QWidget {
public:
    explicit FormClient(QWidget* parent) : QWidget(parent) {}
    TForm* form = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (form != nullptr) {
            classlib::dispatch(form, [this] { form->ResizeClient(); });
        }
    }
};

QWidget* windowOf(HWND handle)
{
    TWinControl* control = TWinControl::FindControl(handle);
    return control != nullptr ? control->Widget()->window() : nullptr;
}

// Buttons below control, depth first in child order.
TButton* findButton(TWinControl* control, bool (TButton::*property)() const)
{
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        if (auto* button = dynamic_cast<TButton*>(child)) {
            if ((button->*property)() && button->Enabled() && button->Visible()) {
                return button;
            }
        }
        if (auto* container = dynamic_cast<TWinControl*>(child)) {
            if (TButton* found = findButton(container, property)) {
                return found;
            }
        }
    }
    return nullptr;
}

}  // namespace

struct TForm::Impl {
    FormWindow* window = nullptr;
    QVBoxLayout* layout = nullptr;
    FormClient* client = nullptr;
    QEventLoop* modalLoop = nullptr;
};

TForm::TForm(TComponent* owner) : TForm(owner, nullptr) {}

TForm::TForm(HWND parentWindow) : TForm(nullptr, parentWindow) {}

TForm::TForm(std::nullptr_t) : TForm(nullptr, nullptr) {}

TForm::TForm(TComponent* owner, HWND parentWindow)
    : TWinControl(owner, classlib::makeWidget<FormWindow>())
    , impl(new Impl)
    , parentWindow(parentWindow)
{
    visible = false;
    impl->window = static_cast<FormWindow*>(Widget());
    impl->window->form = this;
    if (QWidget* parent = windowOf(parentWindow)) {
        impl->window->setParent(parent, Qt::Dialog);
    }
    impl->layout = new QVBoxLayout(impl->window);
    impl->layout->setContentsMargins(0, 0, 0, 0);
    impl->layout->setSpacing(0);
    impl->client = new FormClient(impl->window);
    impl->client->form = this;
    impl->layout->addWidget(impl->client);
    applyBorder();
}

void TForm::SetOtherModuleParentWindow(HWND handle)
{
    if (handle == nullptr) {
        return;
    }
    // The handle is compared, never followed, until it is known to be a widget that exists.
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (static_cast<HWND>(widget) == handle) {
            impl->window->setParent(widget->window(), Qt::Dialog);
            parentWindow = handle;
            return;
        }
    }
}

TForm::~TForm()
{
    if (impl->modalLoop != nullptr) {
        impl->modalLoop->quit();
    }
    impl->window->form = nullptr;
    impl->client->form = nullptr;
    // Dialog forms made over this window outlive it (the main form goes first at shutdown); Qt
    // would delete their windows with this one, under the forms that still own them.
    // A copy: detaching a child takes it out of the list being walked.
    const QObjectList children = impl->window->children();
    for (QObject* child : children) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || !widget->isWindow()) {
            continue;
        }
        if (auto* dialog = dynamic_cast<TForm*>(classlib::controlOf(widget))) {
            widget->setParent(nullptr, widget->windowFlags());
            dialog->parentWindow = nullptr;
        }
    }
    if (menu != nullptr) {
        // A menu that outlives the form keeps its bar.
        impl->layout->setMenuBar(nullptr);
        menu->MenuBar()->setParent(nullptr);
    }
    // The window goes with TControl; the controls on it go first (TWinControl).
}

void TForm::AfterConstruction()
{
    TWinControl::AfterConstruction();
    DoCreate();
}

std::string TForm::Caption() const
{
    return classlib::fromQ(impl->window->windowTitle());
}

void TForm::SetCaption(const std::string& caption)
{
    impl->window->setWindowTitle(classlib::toQ(caption));
}

void TForm::SetVisible(bool newVisible)
{
    if (newVisible) {
        Show();
    } else {
        Hide();
    }
}

int TForm::ClientWidth() const
{
    return impl->client->width();
}

int TForm::ClientHeight() const
{
    return impl->client->height();
}

void TForm::SetClientWidth(int width)
{
    impl->client->resize(width, impl->client->height());
    applyBorder();
}

void TForm::SetClientHeight(int height)
{
    impl->client->resize(impl->client->width(), height);
    applyBorder();
}

void TForm::Show()
{
    HandleNeeded();
    placeOnFirstShow();
    visible = true;
    impl->window->show();
    impl->window->raise();
    impl->window->activateWindow();
}

void TForm::Hide()
{
    visible = false;
    impl->window->hide();
}

int TForm::ShowModal()
{
    if (modal || Visible()) {
        throw EInvalidOperation("表示中のウィンドウはモーダルにできません");
    }
    modal = true;
    modalResult = mrNone;
    impl->window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    impl->modalLoop = &loop;
    classlib::pushLoop(&loop);
    struct Restore {
        TForm* form;
        QEventLoop* loop;
        ~Restore()
        {
            classlib::popLoop(loop);
            form->impl->modalLoop = nullptr;
            form->Hide();
            form->impl->window->setWindowModality(Qt::NonModal);
            form->modal = false;
        }
    } restore{this, &loop};
    Show();
    for (;;) {
        if (modalResult == mrNone && !Application->Terminated()) {
            loop.exec();
        }
        if (Application->Terminated()) {
            modalResult = mrCancel;
            break;
        }
        if (modalResult == mrNone) {
            continue;
        }
        if (!CloseQuery()) {
            modalResult = mrNone;
            continue;
        }
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) {
            modalResult = mrNone;
            continue;
        }
        break;
    }
    return modalResult;
}

void TForm::Close()
{
    if (modal) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) {
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) {
        return;
    }
    if (Application->MainForm() == this) {
        // Ends the program's run; outside Run there is no run to end, so the window just hides.
        if (Application->Running()) {
            Application->Terminate();
        } else {
            Hide();
        }
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        impl->window->showMinimized();
    } else {
        Release();
    }
}

void TForm::Release()
{
    QPointer<QWidget> alive(impl->window);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, alive] {
            if (alive) {
                Free();
            }
        },
        Qt::QueuedConnection);
}

void TForm::SetModalResult(TModalResult result)
{
    modalResult = result;
    if (modal && result != mrNone && impl->modalLoop != nullptr) {
        impl->modalLoop->quit();
    }
}

TWindowState TForm::WindowState() const
{
    Qt::WindowStates states = impl->window->windowState();
    if (states & Qt::WindowMinimized) {
        return wsMinimized;
    }
    if (states & Qt::WindowMaximized) {
        return wsMaximized;
    }
    return wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    Qt::WindowStates states = impl->window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == wsMinimized) {
        states |= Qt::WindowMinimized;
    } else if (state == wsMaximized) {
        states |= Qt::WindowMaximized;
    }
    impl->window->setWindowState(states);
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle = style;
    applyBorder();
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    borderIcons = icons;
    applyBorder();
}

void TForm::SetMenu(TMainMenu* mainMenu)
{
    menu = mainMenu;
    impl->layout->setMenuBar(mainMenu != nullptr ? mainMenu->MenuBar() : nullptr);
    applyBorder();
}

TWinControl* TForm::ActiveControl() const
{
    // The window's own focus, which it keeps while another window is active (or while the window
    // system has not activated it yet).
    QWidget* focus = impl->window->focusWidget();
    while (focus != nullptr && focus->window() == impl->window) {
        if (auto* control = dynamic_cast<TWinControl*>(classlib::controlOf(focus))) {
            return control;
        }
        focus = focus->parentWidget();
    }
    return nullptr;
}

void TForm::SetActiveControl(TWinControl* control)
{
    if (control != nullptr) {
        control->SetFocus();
    }
}

QWidget* TForm::ClientWidget() const
{
    return impl->client;
}

void TForm::DefaultKey()
{
    if (auto* focused = dynamic_cast<TButton*>(ActiveControl())) {
        focused->Click();
        return;
    }
    if (TButton* button = findButton(this, &TButton::Default)) {
        button->Click();
    }
}

void TForm::CancelKey()
{
    if (TButton* button = findButton(this, &TButton::Cancel)) {
        button->Click();
    }
}

void TForm::DoCreate()
{
    OnCreate(this);
}

void TForm::DoClose(TCloseAction& action)
{
    OnClose(this, action);
}

void TForm::Resize()
{
    OnResize(this);
}

void TForm::ResizeClient()
{
    Resize();
}

bool TForm::CloseQuery()
{
    return true;
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == menu) {
        menu = nullptr;
        impl->layout->setMenuBar(nullptr);
    }
}

void TForm::applyBorder()
{
    FormWindow* window = impl->window;
    bool wasVisible = window->isVisible();
    Qt::WindowFlags flags = (window->parentWidget() != nullptr || borderStyle == bsDialog) ? Qt::Dialog : Qt::Window;
    if (borderStyle == bsNone) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons.Contains(biSystemMenu)) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        }
        bool dialog = borderStyle == bsDialog || borderStyle == bsToolWindow || borderStyle == bsSizeToolWin;
        if (!dialog && borderIcons.Contains(biMinimize)) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
        if (!dialog && borderIcons.Contains(biMaximize) && borderStyle == bsSizeable) {
            flags |= Qt::WindowMaximizeButtonHint;
        }
    }
    if (window->windowFlags() != flags) {
        window->setWindowFlags(flags);
    }
    bool fixed = borderStyle != bsSizeable && borderStyle != bsSizeToolWin;
    QSize client = impl->client->size();
    if (fixed) {
        impl->client->setFixedSize(client);
        impl->layout->setSizeConstraint(QLayout::SetFixedSize);
    } else {
        impl->client->setMinimumSize(0, 0);
        impl->client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        impl->layout->setSizeConstraint(QLayout::SetDefaultConstraint);
        int menuHeight = (menu != nullptr) ? menu->MenuBar()->sizeHint().height() : 0;
        window->resize(client.width(), client.height() + menuHeight);
    }
    if (wasVisible && !window->isVisible()) {
        window->show();
    }
}

void TForm::placeOnFirstShow()
{
    if (placed) {
        return;
    }
    placed = true;
    QWidget* window = impl->window;
    // A sizeable form keeps the size it was given: its client area has no layout to ask.
    if (borderStyle != bsSizeable && borderStyle != bsSizeToolWin) {
        window->adjustSize();
    }
    QRect frame = window->frameGeometry();
    QRect area;
    TForm* mainForm = Application->MainForm();
    switch (position) {
    case poMainFormCenter:
    case poOwnerFormCenter:
        if (mainForm != nullptr && mainForm != this && mainForm->Visible()) {
            area = mainForm->Widget()->frameGeometry();
            break;
        }
        [[fallthrough]];
    case poScreenCenter:
        if (QScreen* screen = window->screen()) {
            area = screen->availableGeometry();
        }
        break;
    default:
        return;
    }
    if (area.isValid()) {
        frame.moveCenter(area.center());
        window->move(frame.topLeft());
    }
}

TForm* GetParentForm(TControl* control)
{
    while (control != nullptr) {
        if (auto* form = dynamic_cast<TForm*>(control)) {
            return form;
        }
        control = control->Parent();
    }
    return nullptr;
}
