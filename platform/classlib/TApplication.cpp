#include "platform/classlib/TApplication.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/core/Sysutils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>

#include <cerrno>
#include <exception>
#include <new>

namespace {

// Never destroyed: forms and the Qt application must not be torn down by static destructors,
// after Qt's own statics are gone. The object lives in static storage rather than on the heap: a
// plug-in that links the class library has an application object of its own, which would
// otherwise be lost, unreachable, each time the plug-in is unloaded.
alignas(TApplication) unsigned char applicationStorage[sizeof(TApplication)];

}  // namespace

TApplication* const Application = new (applicationStorage) TApplication;

namespace {

// The class library's rule: a message whose last character sorts after "." gets a full stop.
std::string withFullStop(std::string message)
{
    if (message.empty()) {
        return message;
    }
    std::size_t last = message.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(message[last]) & 0xC0) == 0x80) {
        --last;
    }
    if (static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.')) {
        message += '.';
    }
    return message;
}

}  // namespace

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::Initialize()
{
    classlib::ensureApplication();
}

void TApplication::formCreated(TForm* form)
{
    form->AfterConstruction();
    if (mainForm == nullptr) {
        mainForm = form;
        form->HandleNeeded();
    }
}

void TApplication::Run()
{
    if (mainForm == nullptr) {
        return;
    }
    classlib::ensureApplication();
    running = true;
    terminated = false;
    struct Stop {
        TApplication* application;
        ~Stop()
        {
            application->running = false;
            application->terminated = false;
        }
    } stop{this};
    if (ShowMainForm) {
        mainForm->Show();
    }
    while (!terminated) {
        QEventLoop loop;
        classlib::pushLoop(&loop);
        loop.exec();
        classlib::popLoop(&loop);
    }
}

void TApplication::Terminate()
{
    if (!running) {
        return;
    }
    terminated = true;
    classlib::quitLoops();
}

void TApplication::ProcessMessages()
{
    classlib::ensureApplication();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TApplication::WindowSystemRunning()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

std::string TApplication::Title() const
{
    if (titleSet) {
        return title;
    }
    return program_invocation_short_name;
}

void TApplication::HandleException(TObject* sender)
{
    try {
        try {
            throw;
        } catch (Sysutils::Exception& exception) {
            if (OnException) {
                OnException(sender, exception);
            } else {
                ShowException(exception);
            }
        } catch (std::exception& exception) {
            Sysutils::Exception wrapped(exception.what());
            if (OnException) {
                OnException(sender, wrapped);
            } else {
                ShowException(wrapped);
            }
        } catch (...) {
            // Of a family the class library does not know: shown without text.
            Sysutils::Exception wrapped("");
            if (OnException) {
                OnException(sender, wrapped);
            } else {
                ShowException(wrapped);
            }
        }
    } catch (...) {
        // Nothing may leave the message loop; a failing handler of failures ends here.
    }
}

void TApplication::ShowException(const Sysutils::Exception& exception)
{
    TMessageDlgRequest request{mtError, Title(), withFullStop(exception.Message), TMsgDlgButtons{mbOK}, 0};
    classlib::runMessageBox(request);
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == mainForm) {
        mainForm = nullptr;
        Terminate();
    }
}
