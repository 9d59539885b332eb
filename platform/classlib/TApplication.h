#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TComponent.h"

#include <string>

class TForm;

namespace Sysutils {
class Exception;
}

typedef TMethodClosure<TObject*, Sysutils::Exception&> TExceptionEvent;

// The one application object (Application). It owns the forms made by CreateForm, and the first
// of them becomes the main form. Run shows the main form and handles messages until the main form
// closes. An exception that escapes an event handler is handed to HandleException: shown in an
// error box (ShowException), or to OnException when it is set, and the loop goes on.
//
// The Qt application is made by Initialize, or by the first control or dialog made without it,
// on the thread that does so; that thread is the user-interface thread from then on.
class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();

    // Constructs a form of class T owned by the application, stores it in reference, runs its
    // OnCreate, and makes it the main form when there is none yet.
    template <typename T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        try {
            formCreated(form);
        } catch (...) {
            reference = nullptr;
            form->Free();
            throw;
        }
    }

    void Run();
    // Ends Run's loop (and any modal loop inside it) once the current message has been handled.
    // Outside Run it does nothing.
    void Terminate();
    bool Terminated() const { return terminated; }
    bool Running() const { return running; }
    // Handles the messages that are waiting, then returns.
    void ProcessMessages();
    // Whether the window system's application exists already, made by this module or by another
    // one (the program's, seen from a plug-in that has the class library of its own). A plug-in
    // shows no window in a program that has none.
    static bool WindowSystemRunning();

    TForm* MainForm() const { return mainForm; }
    bool ShowMainForm = true;

    // Executable's name until set.
    std::string Title() const;
    void SetTitle(const std::string& title) { this->title = title; titleSet = true; }

    // To be called inside a catch block: the exception being handled is shown.
    void HandleException(TObject* sender);
    // An error box with the message (a "." appended when its last character sorts after "."),
    // the application's title as caption, the error icon and OK.
    void ShowException(const Sysutils::Exception& exception);
    TExceptionEvent OnException;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void formCreated(TForm* form);

    TForm* mainForm = nullptr;
    std::string title;
    bool titleSet = false;
    bool terminated = false;
    bool running = false;
};

extern TApplication* const Application;
