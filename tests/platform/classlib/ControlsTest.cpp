#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TMainMenu.h"
#include "platform/classlib/TMemo.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TProgressBar.h"
#include "platform/classlib/TStrings.h"
#include "platform/classlib/core/Sysutils.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;

// A shown form that owns every control of the test; each event records its sender.
class ControlsTest : public ClasslibTest {
protected:
    ControlsTest() : form(new TForm(static_cast<TComponent*>(nullptr))) { form->SetClientSize(400, 300); }
    ~ControlsTest() override { delete form; }

    template <typename Control>
    Control* place(int top)
    {
        auto* control = new Control(form);
        control->SetParent(form);
        control->SetBounds(10, top, 120, 24);
        return control;
    }

    TNotifyEvent record(const char* tag)
    {
        return TNotifyEvent::FromFunction(nullptr, [this, tag](TObject* sender) { events.push_back({tag, sender}); });
    }

    TForm* form;
    std::vector<std::pair<std::string, TObject*>> events;
};

TEST_F(ControlsTest, AClickedButtonRaisesOnClickWithItselfUnlessDisabled)
{
    auto* button = place<TButton>(10);
    button->SetCaption("押す(&P)");
    button->OnClick = record("first");
    form->Show();
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(button, events[0].second);

    // Wiring again keeps only the latest handler.
    button->OnClick = record("second");
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ("second", events[1].first);

    button->SetEnabled(false);
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    EXPECT_EQ(2u, events.size());
    EXPECT_EQ("押す(&P)", button->Caption());
}

// An exception from a clicked handler stops at the application's handler; Click called by the
// program hands it to the caller.
TEST_F(ControlsTest, AHandlersExceptionIsShownForAUserClickAndPassedOnFromClick)
{
    auto* button = place<TButton>(10);
    button->OnClick = TNotifyEvent::FromFunction(nullptr, [](TObject*) { throw Sysutils::Exception("押せません"); });
    form->Show();
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("押せません.", boxes[0].Text);
    EXPECT_THROW(button->Click(), Sysutils::Exception);
}

TEST_F(ControlsTest, ACheckBoxRaisesOnClickForTheUsersAndTheProgramsChanges)
{
    auto* box = place<TCheckBox>(10);
    box->SetCaption("サブフォルダ");
    box->OnClick = record("click");
    form->Show();
    QTest::mouseClick(box->Widget(), Qt::LeftButton);
    EXPECT_TRUE(box->Checked());
    box->SetChecked(false);
    EXPECT_FALSE(box->Checked());
    box->SetChecked(false);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(box, events[1].second);
}

TEST_F(ControlsTest, AnEditRaisesOnChangeAndLimitsItsLength)
{
    auto* edit = place<TEdit>(10);
    edit->OnChange = record("change");
    edit->SetMaxLength(6);
    edit->SetImeMode(imDisable);
    form->Show();
    edit->SetFocus();
    QTest::keyClicks(edit->Widget(), "12345678");
    EXPECT_EQ("123456", edit->Text());
    EXPECT_EQ(6, edit->MaxLength());
    EXPECT_EQ(6u, events.size());
    edit->SetText("500");
    EXPECT_EQ(7u, events.size());
    EXPECT_EQ("500", edit->Text());
    edit->SetMaxLength(0);
    EXPECT_EQ(0, edit->MaxLength());
}

// Items by position under a menu bar, "&" kept in the caption, "-" a separator; choosing an item
// (its action triggered, as a click on it does) raises its OnClick unless it is disabled.
TEST_F(ControlsTest, MainMenuItemsByPositionRaiseOnClickWhenTriggered)
{
    auto* menu = new TMainMenu(form);
    form->SetMenu(menu);
    auto* file = new TMenuItem(form);
    file->SetCaption("ファイル(&F)");
    menu->Items()->Add(file);
    const char* captions[] = {"追加(&I)...", "削除(&D)", "-", "終了(&X)"};
    for (const char* caption : captions) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnClick = record(caption);
        file->Add(item);
    }
    form->Show();
    ASSERT_EQ(1, menu->Items()->Count());
    ASSERT_EQ(4, menu->Items()->Items(0)->Count());
    TMenuItem* exit = (*menu->Items()->Items(0))[3];
    EXPECT_EQ("終了(&X)", exit->Caption());
    EXPECT_EQ(3, exit->MenuIndex());
    EXPECT_TRUE((*file)[2]->IsLine());
    EXPECT_TRUE((*file)[2]->Action()->isSeparator());
    EXPECT_EQ(file->Action(), menu->MenuBar()->actions().value(0));
    EXPECT_EQ(exit->Action(), file->SubMenu()->actions().value(3));

    exit->Action()->trigger();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(exit, events[0].second);

    (*file)[1]->SetEnabled(false);
    (*file)[1]->Action()->trigger();
    (*file)[1]->Click();
    EXPECT_EQ(1u, events.size());

    // An item that goes away leaves its menu.
    delete (*file)[0];
    EXPECT_EQ(3, file->Count());
    EXPECT_EQ(3, file->SubMenu()->actions().size());
}

TEST_F(ControlsTest, PopupMenuItemsRaiseOnClickAndTheMenuKnowsItsControl)
{
    auto* button = place<TButton>(10);
    auto* popup = new TPopupMenu(form);
    auto* insert = new TMenuItem(form);
    insert->SetCaption("追加(&I)...");
    insert->OnClick = record("insert");
    popup->Items()->Add(insert);
    button->SetPopupMenu(popup);
    form->Show();
    EXPECT_EQ(insert->Action(), popup->Menu()->actions().value(0));
    insert->Action()->trigger();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(insert, events[0].second);
}

TEST_F(ControlsTest, ProgressBarKeepsItsPositionWithinItsRange)
{
    auto* bar = place<TProgressBar>(10);
    EXPECT_EQ(0, bar->Min());
    EXPECT_EQ(100, bar->Max());
    bar->SetMax(1000);
    bar->SetPosition(500);
    EXPECT_EQ(500, bar->Position());
    bar->SetPosition(2000);
    EXPECT_EQ(1000, bar->Position());
    bar->SetMax(10);
    EXPECT_EQ(10, bar->Position());
    bar->SetPosition(-5);
    EXPECT_EQ(0, bar->Position());
}

TEST_F(ControlsTest, MemoLinesAddDeleteAndText)
{
    auto* memo = place<TMemo>(10);
    memo->SetReadOnly(true);
    memo->SetWordWrap(false);
    memo->SetScrollBars(ssBoth);
    TStrings* lines = memo->Lines();
    EXPECT_EQ(0, lines->Count());
    lines->Add("一行目");
    lines->Add("");
    lines->Add("三行目");
    ASSERT_EQ(3, lines->Count());
    EXPECT_EQ("", lines->Get(1));
    lines->Delete(1);
    EXPECT_EQ(2, lines->Count());
    EXPECT_EQ("三行目", lines->Get(1));
    lines->Delete(1);
    EXPECT_EQ("一行目\n", lines->Text());
    EXPECT_TRUE(memo->ReadOnly());
    EXPECT_FALSE(memo->WordWrap());
}

TEST_F(ControlsTest, KeysReachOnKeyDownAsVirtualKeysAndAClearedKeyStopsThere)
{
    auto* edit = place<TEdit>(10);
    std::vector<std::pair<WORD, bool>> keys;
    edit->OnKeyDown = TKeyEvent::FromFunction(nullptr, [&](TObject* sender, WORD& key, TShiftState shift) {
        EXPECT_EQ(sender, edit);
        keys.emplace_back(key, shift.Contains(ssShift));
        // Letters are kept from the edit; everything else reaches it.
        if (key >= 'A' && key <= 'Z') {
            key = 0;
        }
    });
    form->Show();
    QTest::keyClick(edit->Widget(), Qt::Key_F5);
    QTest::keyClick(edit->Widget(), Qt::Key_Delete);
    QTest::keyClick(edit->Widget(), Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(edit->Widget(), Qt::Key_7);
    const std::vector<std::pair<WORD, bool>> expected{{VK_F5, false}, {VK_DELETE, false}, {'A', true}, {'7', false}};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(edit->Text(), "7");
}

TEST_F(ControlsTest, ALabelOfFixedSizeShortensAPathInTheMiddleAndKeepsTheWholeCaption)
{
    auto* label = place<TLabel>(10);
    label->SetAutoSize(false);
    label->SetEllipsisPosition(epPathEllipsis);
    label->SetBounds(10, 10, 120, 20);
    const std::string path = "/home/user/pictures/recovered from the old card/2026";
    label->SetCaption(path);
    form->Show();
    auto* shown = static_cast<QLabel*>(label->Widget());
    EXPECT_EQ(label->Caption(), path);
    EXPECT_EQ(label->Width(), 120);
    const std::string text = shown->text().toStdString();
    EXPECT_NE(text, path);
    EXPECT_EQ(text.substr(0, 2), "/h") << text;
    EXPECT_EQ(text.substr(text.size() - 2), "26") << text;
    EXPECT_EQ(shown->toolTip().toStdString(), path);

    // Wide enough: shown whole, without a tooltip.
    label->SetWidth(1000);
    EXPECT_EQ(shown->text().toStdString(), path);
    EXPECT_TRUE(shown->toolTip().isEmpty());
}

}  // namespace
