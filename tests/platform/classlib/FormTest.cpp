#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/EInvalidOperation.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;
using classlibtest::drainEvents;
using classlibtest::later;

// A dialog as the program's are made: OK (Default, mrOk) and Cancel (Cancel, mrCancel) buttons and
// an edit, every close recorded with the action the handler chose.
class DialogTest : public ClasslibTest {
public:
    DialogTest()
        : form(new TForm(static_cast<TComponent*>(nullptr)))
        , ok(button("OK", 10))
        , cancel(button("キャンセル", 100))
        , other(button("他", 190))
        , edit(new TEdit(form))
    {
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        edit->SetParent(form);
        edit->SetBounds(10, 50, 100, 24);
        form->SetClientSize(300, 100);
        form->OnClose = TCloseEvent::FromFunction(nullptr, [this](TObject* sender, TCloseAction& action) {
            EXPECT_EQ(form, sender);
            closes.push_back(action);
            if (!closeActions.empty()) {
                action = closeActions.front();
                closeActions.erase(closeActions.begin());
            }
        });
        for (TButton* b : {ok, cancel, other}) {
            b->OnClick = TNotifyEvent::FromFunction(nullptr, [this, b](TObject*) { clicked.push_back(b->Caption()); });
        }
    }

    ~DialogTest() override
    {
        if (form != nullptr) {
            delete form;
        }
    }

    TButton* button(const char* caption, int left)
    {
        auto* b = new TButton(form);
        b->SetParent(form);
        b->SetCaption(caption);
        b->SetBounds(left, 10, 80, 24);
        return b;
    }

    TForm* form;
    TButton* ok;
    TButton* cancel;
    TButton* other;
    TEdit* edit;
    std::vector<TCloseAction> closes;
    std::vector<TCloseAction> closeActions;
    std::vector<std::string> clicked;
};

TEST_F(DialogTest, AButtonWithAModalResultEndsShowModalAfterItsClickAndOnCloseWithHide)
{
    bool modalDuringShow = false;
    later([&] {
        modalDuringShow = form->Modal() && form->Widget()->isVisible();
        QTest::mouseClick(ok->Widget(), Qt::LeftButton);
    });
    EXPECT_EQ(mrOk, form->ShowModal());
    EXPECT_TRUE(modalDuringShow);
    EXPECT_EQ((std::vector<std::string>{"OK"}), clicked);
    EXPECT_EQ((std::vector<TCloseAction>{caHide}), closes);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Widget()->isVisible());
    EXPECT_FALSE(form->Modal());
    EXPECT_EQ(mrOk, form->ModalResult());

    // The same form shows modally again, with its result cleared.
    later([&] { QTest::mouseClick(cancel->Widget(), Qt::LeftButton); });
    EXPECT_EQ(mrCancel, form->ShowModal());
}

TEST_F(DialogTest, CaNoneKeepsAModalFormOpenUntilTheNextClose)
{
    closeActions = {caNone};
    bool openAfterRefusal = false;
    later([&] {
        QTest::mouseClick(cancel->Widget(), Qt::LeftButton);
        later([&] {
            openAfterRefusal = form->Widget()->isVisible() && form->ModalResult() == mrNone;
            form->Close();
        });
    });
    EXPECT_EQ(mrCancel, form->ShowModal());
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ((std::vector<TCloseAction>{caHide, caHide}), closes);
}

// Close, the close box and Esc all end a modal form with mrCancel; a button without a modal
// result does not end it.
TEST_F(DialogTest, CloseTheCloseBoxAndEscEndAModalFormWithCancel)
{
    const struct {
        const char* name;
        std::function<void(DialogTest&)> act;
        std::vector<std::string> clicks;
    } cases[] = {
        {"Close", [](DialogTest& t) { t.form->Close(); }, {}},
        {"close box", [](DialogTest& t) { t.form->Widget()->close(); }, {}},
        {"Esc", [](DialogTest& t) { QTest::keyClick(t.edit->Widget(), Qt::Key_Escape); }, {"キャンセル"}},
        {"other, then Esc",
         [](DialogTest& t) {
             QTest::mouseClick(t.other->Widget(), Qt::LeftButton);
             QTest::keyClick(t.form->Widget(), Qt::Key_Escape);
         },
         {"他", "キャンセル"}},
    };
    for (const auto& c : cases) {
        clicked.clear();
        closes.clear();
        later([&] { c.act(*this); });
        EXPECT_EQ(mrCancel, form->ShowModal()) << c.name;
        EXPECT_EQ(c.clicks, clicked) << c.name;
        EXPECT_EQ(1u, closes.size()) << c.name;
    }
}

// Enter clicks the focused button, or else the Default button (enabled ones only).
TEST_F(DialogTest, EnterClicksTheFocusedButtonElseTheDefaultOne)
{
    form->Show();
    const struct {
        const char* name;
        TWinControl* (*focus)(DialogTest&);
        bool okEnabled;
        std::vector<std::string> clicks;
    } cases[] = {
        {"in the edit", [](DialogTest& t) -> TWinControl* { return t.edit; }, true, {"OK"}},
        {"on the other button", [](DialogTest& t) -> TWinControl* { return t.other; }, true, {"他"}},
        {"default disabled", [](DialogTest& t) -> TWinControl* { return t.edit; }, false, {}},
    };
    for (const auto& c : cases) {
        clicked.clear();
        ok->SetEnabled(c.okEnabled);
        TWinControl* target = c.focus(*this);
        form->SetActiveControl(target);
        QTest::keyClick(target->Widget(), Qt::Key_Return);
        EXPECT_EQ(c.clicks, clicked) << c.name;
    }
    // A modeless form is not ended by its buttons' modal results.
    EXPECT_TRUE(form->Visible());
}

TEST_F(DialogTest, ModelessCloseActsOnTheActionTheHandlerChose)
{
    form->Show();
    closeActions = {caNone};
    form->Close();
    EXPECT_TRUE(form->Widget()->isVisible());

    closeActions = {caHide};
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Widget()->isVisible());

    form->Show();
    closeActions = {caFree};
    QPointer<QWidget> window(form->Widget());
    form->Close();
    // Released once the events under way are handled, not at once.
    EXPECT_FALSE(window.isNull());
    drainEvents();
    EXPECT_TRUE(window.isNull());
    form = nullptr;
}

TEST_F(DialogTest, ShowModalOfAVisibleFormIsRefused)
{
    form->Show();
    EXPECT_THROW(form->ShowModal(), EInvalidOperation);
    EXPECT_TRUE(form->Visible());
}

// A dialog made over a parent window belongs to no component and shows over that window.
TEST_F(ClasslibTest, AFormMadeWithAParentWindowIsADialogOverThatWindowAndOutlivesIt)
{
    auto* main = new TForm(static_cast<TComponent*>(nullptr));
    HWND handle = main->Handle();
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(main, TWinControl::FindControl(handle));
    auto* dialog = new TForm(handle);
    EXPECT_EQ(nullptr, dialog->Owner());
    EXPECT_EQ(handle, dialog->ParentWindow());
    EXPECT_EQ(main->Widget(), dialog->Widget()->parentWidget());
    EXPECT_TRUE(dialog->Widget()->isWindow());
    EXPECT_FALSE(dialog->Visible());

    // The main window goes first at shutdown; the dialog form is destroyed after it.
    QPointer<QWidget> dialogWindow(dialog->Widget());
    delete main;
    EXPECT_FALSE(dialogWindow.isNull());
    EXPECT_EQ(nullptr, TWinControl::FindControl(handle));
    dialog->SetCaption("まだ使える");
    EXPECT_EQ("まだ使える", dialog->Caption());
    delete dialog;
}

TEST_F(ClasslibTest, EveryDialogOverAWindowOutlivesIt)
{
    // Several dialogs stand over the main window, as the program's three do: detaching one must
    // not make the window's destruction pass over the next.
    auto* main = new TForm(static_cast<TComponent*>(nullptr));
    HWND handle = main->Handle();
    std::vector<TForm*> dialogs;
    std::vector<QPointer<QWidget>> windows;
    for (int i = 0; i < 3; ++i) {
        dialogs.push_back(new TForm(handle));
        windows.emplace_back(dialogs.back()->Widget());
    }
    delete main;
    for (std::size_t i = 0; i < dialogs.size(); ++i) {
        EXPECT_FALSE(windows[i].isNull()) << i;
        EXPECT_EQ(nullptr, dialogs[i]->ParentWindow()) << i;
        delete dialogs[i];
    }
}

TEST_F(ClasslibTest, ClientSizeCaptionAndCentringOnTheMainForm)
{
    TForm form(static_cast<TComponent*>(nullptr));
    form.SetClientSize(497, 377);
    form.SetBorderStyle(bsDialog);
    form.SetCaption("設定");
    form.SetPosition(poMainFormCenter);
    form.Show();
    EXPECT_EQ(497, form.ClientWidth());
    EXPECT_EQ(377, form.ClientHeight());
    EXPECT_EQ("設定", form.Caption());
    EXPECT_TRUE(form.Visible());
    form.Hide();
}

TEST_F(ClasslibTest, ASizeableFormReportsEachResizeAndCanOpenMaximised)
{
    TForm form(static_cast<TComponent*>(nullptr));
    form.SetClientSize(300, 200);
    std::vector<int> widths;
    form.OnResize = TNotifyEvent::FromFunction(nullptr, [&](TObject* sender) {
        EXPECT_EQ(&form, sender);
        widths.push_back(form.ClientWidth());
    });
    form.Show();
    drainEvents();
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(300, widths.back());
    // The user drags the border.
    form.Widget()->resize(520, 260);
    drainEvents();
    EXPECT_EQ(520, widths.back());
    EXPECT_EQ(520, form.ClientWidth());
    EXPECT_EQ(wsNormal, form.WindowState());
    form.Hide();

    TForm maximised(static_cast<TComponent*>(nullptr));
    maximised.SetClientSize(300, 200);
    maximised.SetWindowState(wsMaximized);
    EXPECT_EQ(wsMaximized, maximised.WindowState());
    maximised.Show();
    drainEvents();
    EXPECT_EQ(wsMaximized, maximised.WindowState());
    EXPECT_TRUE(maximised.Widget()->isMaximized());
    maximised.Hide();
}

TEST_F(ClasslibTest, KeysReachOnKeyDownAndAKeySetToZeroIsTakenFromTheControl)
{
    TForm form(static_cast<TComponent*>(nullptr));
    auto* list = new TListView(&form);
    list->SetParent(&form);
    std::vector<std::pair<WORD, bool>> keys;
    list->OnKeyDown = TKeyEvent::FromFunction(nullptr, [&](TObject* sender, WORD& key, TShiftState shift) {
        EXPECT_EQ(list, sender);
        keys.emplace_back(key, shift.Contains(ssShift));
        if (key == VK_DELETE) {
            key = 0;
        }
    });
    form.Show();
    QTest::keyClick(list->Widget(), Qt::Key_Delete);
    QTest::keyClick(list->Widget(), Qt::Key_F5, Qt::ShiftModifier);
    QTest::keyClick(list->Widget(), Qt::Key_A);
    // A key without a virtual key code is not reported.
    QTest::keyClick(list->Widget(), Qt::Key_VolumeUp);
    ASSERT_EQ(3u, keys.size());
    EXPECT_EQ((std::pair<WORD, bool>(VK_DELETE, false)), keys[0]);
    EXPECT_EQ((std::pair<WORD, bool>(WORD(VK_F1 + 4), true)), keys[1]);
    EXPECT_EQ((std::pair<WORD, bool>(WORD('A'), false)), keys[2]);
    form.Hide();
}

}  // namespace
