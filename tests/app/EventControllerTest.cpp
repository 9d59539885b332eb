#include "app/Closeviewcontroller.h"
#include "app/Eventcontroller.h"
#include "app/Openviewcontroller.h"
#include "framework/Exception.h"
#include "platform/classlib/core/Sysutils.h"
#include "framework/Formview.h"
#include "framework/IValueObject.h"
#include "framework/Tbaseform.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TGroupBox.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TMainMenu.h"
#include "platform/classlib/TMenuItem.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QAction>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using classlibtest::ClasslibTest;
using classlibtest::later;

// A view whose values name it, as the main view's "outputDirectory" does.
class NamedView : public FormView {
public:
    NamedView(TBaseForm* form, std::string name) : FormView(form), name(std::move(name)) {}
    void getValues(IValueObject* values) override { values->setValue("view", name); }

private:
    std::string name;
};

// A dialog's view: shown modally.
class DialogView : public NamedView {
public:
    using NamedView::NamedView;
    void show() override { form->ShowModal(); }
};

// A window with a button, a button inside a group box, and a menu item, all owned by the form.
class Window : public TBaseForm {
public:
    explicit Window(HWND parent = nullptr)
        : TBaseForm(parent)
        , button(new TButton(this))
        , group(new TGroupBox(this))
        , inner(new TButton(this))
        , menu(new TMainMenu(this))
        , item(new TMenuItem(this))
    {
        SetClientSize(300, 120);
        button->SetParent(this);
        button->SetBounds(10, 10, 80, 24);
        group->SetParent(this);
        group->SetBounds(100, 10, 150, 80);
        inner->SetParent(group);
        inner->SetBounds(10, 20, 80, 24);
        item->SetCaption("追加(&I)...");
        menu->Items()->Add(item);
        SetMenu(menu);
    }

    TButton* button;
    TGroupBox* group;
    TButton* inner;
    TMainMenu* menu;
    TMenuItem* item;
};

// Records the "view" value of each run; the action may do more.
class Recorder : public EventController {
public:
    std::vector<std::string> runs;
    std::function<void()> action;

protected:
    std::string doExecute(IValueObject* values) override
    {
        runs.push_back(values->getValueCount("view") == 0 ? "(empty)" : values->getValue("view"));
        if (action) {
            action();
        }
        return "Success";
    }
};

class EventControllerTest : public ClasslibTest {
public:
    EventControllerTest()
        : main(new Window)
        , mainView(new NamedView(main, "main"))
        , dialog(new Window(main->Handle()))
        , dialogView(new DialogView(dialog, "dialog"))
    {
        main->Show();
    }

    ~EventControllerTest() override
    {
        // As the application factory does: each view, then its form; the main window first.
        delete mainView;
        delete main;
        delete dialogView;
        delete dialog;
    }

    static void wire(TButton* button, EventController* controller)
    {
        button->OnClick = TNotifyEvent(controller, &EventController::onEvent);
    }
    static void wire(TMenuItem* item, EventController* controller)
    {
        item->OnClick = TNotifyEvent(controller, &EventController::onEvent);
    }
    static void click(TButton* button) { QTest::mouseClick(button->Widget(), Qt::LeftButton); }

    Window* main;
    NamedView* mainView;
    Window* dialog;
    DialogView* dialogView;
    Recorder recorder;
};

// The values come from the form that owns the control, whatever view the controller was made for.
TEST_F(EventControllerTest, AControlsEventRunsTheControllerWithItsOwnFormsValues)
{
    const struct {
        const char* name;
        std::function<void(EventControllerTest&)> raise;
        const char* expected;
    } cases[] = {
        {"main button", [](EventControllerTest& t) { click(t.main->button); }, "main"},
        {"main menu item", [](EventControllerTest& t) { t.main->item->Action()->trigger(); }, "main"},
        {"button in a group box", [](EventControllerTest& t) { click(t.main->inner); }, "main"},
        {"dialog button", [](EventControllerTest& t) {
             t.dialog->Show();
             click(t.dialog->button);
             t.dialog->Hide();
         },
         "dialog"},
    };
    for (Window* window : {main, dialog}) {
        wire(window->button, &recorder);
        wire(window->inner, &recorder);
        wire(window->item, &recorder);
    }
    for (const auto& c : cases) {
        recorder.runs.clear();
        c.raise(*this);
        EXPECT_EQ(std::vector<std::string>{c.expected}, recorder.runs) << c.name;
        EXPECT_FALSE(recorder.isBusy()) << c.name;
    }
}

TEST_F(EventControllerTest, SendersWithoutAFormRunWithAnEmptyValueObject)
{
    TObject plain;
    TForm otherForm(static_cast<TComponent*>(nullptr));
    auto* unowned = new TButton(&otherForm);
    TButton orphan(nullptr);
    recorder.onEvent(&plain);
    recorder.onEvent(nullptr);
    recorder.onEvent(unowned);
    recorder.onEvent(&orphan);
    EXPECT_EQ((std::vector<std::string>{"(empty)", "(empty)", "(empty)", "(empty)"}), recorder.runs);
}

// A second event while the action's modal dialog is open does nothing, from the same control or
// from another wired to the same controller; the flag lasts until the first run ends.
TEST_F(EventControllerTest, EventsDuringTheActionsModalDialogAreIgnored)
{
    wire(main->button, &recorder);
    wire(main->item, &recorder);
    bool busyInside = false;
    int result = -1;
    recorder.action = [&] {
        later([&] {
            busyInside = recorder.isBusy();
            click(main->button);
            main->item->Action()->trigger();
            recorder.onEvent(dialog->button);
            dialog->Close();
        });
        result = dialog->ShowModal();
    };
    click(main->button);
    EXPECT_TRUE(busyInside);
    EXPECT_EQ(mrCancel, result);
    EXPECT_EQ(std::vector<std::string>{"main"}, recorder.runs);
    EXPECT_FALSE(recorder.isBusy());

    recorder.action = nullptr;
    click(main->button);
    EXPECT_EQ((std::vector<std::string>{"main", "main"}), recorder.runs);
}

TEST_F(EventControllerTest, AFormWithoutItsViewRunsNothingAndTheNextEventRuns)
{
    wire(main->button, &recorder);
    main->setView(nullptr);
    click(main->button);
    EXPECT_TRUE(recorder.runs.empty());
    EXPECT_FALSE(recorder.isBusy());
    EXPECT_TRUE(boxes.empty());

    main->setView(mainView);
    click(main->button);
    EXPECT_EQ(std::vector<std::string>{"main"}, recorder.runs);
}

// Rows that go with their form raise the deletion event while the form is being destroyed: the
// controller runs for no one, not for the form's owner or with empty values.
TEST_F(EventControllerTest, AnEventRaisedByAFormsDestructionRunsNothing)
{
    for (bool bareDelete : {true, false}) {
        auto* window = new Window;
        NamedView view(window, "going");
        auto* list = new TListView(window);
        list->SetParent(window);
        list->Items()->Add();
        list->OnDeletion = TLVDeletedEvent::FromFunction(&recorder, [this](TObject* sender, TListItem*) { recorder.onEvent(sender); });
        if (bareDelete) {
            delete window;
        } else {
            window->Free();
        }
        EXPECT_TRUE(recorder.runs.empty()) << bareDelete;
        EXPECT_FALSE(recorder.isBusy());
    }
}

TEST_F(EventControllerTest, TheActionsExceptionsEndTheEventWithTheFlagCleared)
{
    wire(main->button, &recorder);
    // The framework's IllegalStatusException ends the event silently.
    recorder.action = [] { throw IllegalStatusException("状態", "Test::doExecute"); };
    EXPECT_NO_THROW(recorder.onEvent(main->button));
    click(main->button);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(recorder.isBusy());

    // Any other leaves onEvent as the class library's exception with the same message, so that
    // the message loop shows the user what went wrong instead of an empty box.
    recorder.action = [] { throw IOException("失敗", "Test::doExecute"); };
    try {
        recorder.onEvent(main->button);
        ADD_FAILURE() << "the action's exception did not leave onEvent";
    } catch (const Sysutils::Exception& exception) {
        EXPECT_EQ("失敗", exception.Message);
    }
    EXPECT_FALSE(recorder.isBusy());
    click(main->button);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].Text.find("失敗")) << boxes[0].Text;
    EXPECT_FALSE(recorder.isBusy());

    recorder.action = nullptr;
    click(main->button);
    EXPECT_EQ(5u, recorder.runs.size());
}

// A bad_cast is also what the walk's type test raises; one raised by the action itself must end
// the event like any other exception, not run the action again for the form's owner.
TEST_F(EventControllerTest, AnActionThatRaisesBadCastRunsOnce)
{
    for (TButton* button : {main->button, main->inner}) {
        recorder.runs.clear();
        recorder.action = [] { throw std::bad_cast(); };
        EXPECT_THROW(recorder.onEvent(button), std::bad_cast);
        EXPECT_EQ(recorder.runs, std::vector<std::string>{"main"});
        EXPECT_FALSE(recorder.isBusy());
    }
}

TEST_F(EventControllerTest, WiringTheSameControlTwiceKeepsTheSecondController)
{
    Recorder second;
    wire(main->button, &recorder);
    wire(main->button, &second);
    EXPECT_EQ(&second, main->button->OnClick.Data());
    click(main->button);
    EXPECT_TRUE(recorder.runs.empty());
    EXPECT_EQ(std::vector<std::string>{"main"}, second.runs);
}

// Opening a dialog view lasts until the dialog closes; its Cancel button, wired to a close
// controller, ends it.
TEST_F(EventControllerTest, OpenViewControllerReturnsOnlyAfterTheDialogClosed)
{
    OpenViewController opener(dialogView);
    CloseViewController closer(dialogView);
    wire(dialog->button, &closer);
    wire(main->button, &opener);
    bool shownModal = false;
    bool openerBusy = false;
    later([&] {
        shownModal = dialog->Modal() && dialog->Widget()->isVisible();
        openerBusy = opener.isBusy();
        click(dialog->button);
    });
    EXPECT_EQ("Success", opener.execute());
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(openerBusy);
    EXPECT_FALSE(dialog->Visible());

    // Through a click: busy during the dialog, cleared after.
    later([&] {
        openerBusy = opener.isBusy();
        click(dialog->button);
    });
    click(main->button);
    EXPECT_TRUE(openerBusy);
    EXPECT_FALSE(opener.isBusy());
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ("Success", closer.execute());
}

}  // namespace
