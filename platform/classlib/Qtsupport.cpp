#include "platform/classlib/Qtsupport.h"

#include "platform/classlib/TApplication.h"
#include "platform/classlib/TControl.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace classlib {

namespace {

const char* const controlProperty = "glintfetchControl";

std::vector<QEventLoop*>& loops()
{
    static std::vector<QEventLoop*> active;
    return active;
}

}  // namespace

void ensureApplication()
{
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    // Qt keeps argc and argv for the application's whole life.
    static int argc = 1;
    static char name[256];
    std::strncpy(name, program_invocation_short_name, sizeof name - 1);
    static char* argv[] = {name, nullptr};
    auto* application = new QApplication(argc, argv);
    // The interface is Japanese whatever the desktop's language: Qt's own dialogs and standard
    // buttons too, as far as Qt's installed translations reach.
    auto* translator = new QTranslator(application);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

void dispatch(TObject* sender, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        Application->HandleException(sender);
    }
}

TControl* controlOf(const QWidget* widget)
{
    if (widget == nullptr) {
        return nullptr;
    }
    return static_cast<TControl*>(widget->property(controlProperty).value<void*>());
}

void setControlOf(QWidget* widget, TControl* control)
{
    widget->setProperty(controlProperty, QVariant::fromValue(static_cast<void*>(control)));
}

void pushLoop(QEventLoop* loop)
{
    loops().push_back(loop);
}

void popLoop(QEventLoop* loop)
{
    auto& active = loops();
    active.erase(std::remove(active.begin(), active.end(), loop), active.end());
}

void quitLoops()
{
    for (QEventLoop* loop : loops()) {
        loop->quit();
    }
}

QWidget* dialogParent()
{
    ensureApplication();
    QWidget* active = QApplication::activeModalWidget();
    if (active == nullptr) {
        active = QApplication::activeWindow();
    }
    if (active == nullptr && Application->MainForm() != nullptr && Application->MainForm()->Visible()) {
        active = Application->MainForm()->Widget();
    }
    return active;
}

int runMessageBox(const TMessageDlgRequest& request)
{
    const TDialogSeam::MessageHandler& handler = TDialogSeam::MessageHandlerInstalled();
    if (handler) {
        // A copy: the handler may install another while it runs.
        TDialogSeam::MessageHandler call = handler;
        return call(request);
    }
    ensureApplication();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.Type) {
    case mtWarning:
        icon = QMessageBox::Warning;
        break;
    case mtError:
        icon = QMessageBox::Critical;
        break;
    case mtInformation:
        icon = QMessageBox::Information;
        break;
    case mtConfirmation:
        icon = QMessageBox::Question;
        break;
    case mtCustom:
        break;
    }
    QMessageBox box(icon, toQ(request.Caption), toQ(request.Text), QMessageBox::NoButton, dialogParent());
    struct Choice {
        TMsgDlgBtn button;
        const char* label;
        QMessageBox::ButtonRole role;
        int result;
    };
    static const Choice choices[] = {
        {mbYes, "はい", QMessageBox::YesRole, mrYes},
        {mbNo, "いいえ", QMessageBox::NoRole, mrNo},
        {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
        {mbCancel, "キャンセル", QMessageBox::RejectRole, mrCancel},
    };
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const Choice& choice : choices) {
        if (request.Buttons.Contains(choice.button)) {
            buttons.emplace_back(box.addButton(QString::fromUtf8(choice.label), choice.role), choice.result);
        }
    }
    if (buttons.empty()) {
        buttons.emplace_back(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), mrOk);
    }
    if (QPushButton* first = qobject_cast<QPushButton*>(buttons.front().first)) {
        box.setDefaultButton(first);
    }
    // Esc and the close box: Cancel, else No, else OK.
    int escapeResult = mrNone;
    for (TMsgDlgBtn escape : {mbCancel, mbNo, mbOK}) {
        for (const Choice& choice : choices) {
            if (choice.button == escape && request.Buttons.Contains(escape) && escapeResult == mrNone) {
                escapeResult = choice.result;
            }
        }
    }
    for (auto& [button, result] : buttons) {
        if (result == escapeResult) {
            box.setEscapeButton(button);
        }
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (auto& [button, result] : buttons) {
        if (button == clicked) {
            return result;
        }
    }
    return escapeResult == mrNone ? mrCancel : escapeResult;
}

}  // namespace classlib
