#include "platform/classlib/MessageDlg.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TOpenDialog.h"
#include "platform/classlib/TStrings.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;
using classlibtest::later;

TEST_F(ClasslibTest, MessageDlgGivesEachKindItsCaptionAndReturnsTheSeamsAnswer)
{
    const struct {
        TMsgDlgType type;
        const char* caption;
        TMsgDlgButtons buttons;
        int answer;
    } cases[] = {
        {mtError, "エラー", {mbOK}, mrOk},
        {mtWarning, "警告", {mbOK, mbCancel}, mrCancel},
        {mtInformation, "情報", {mbOK}, mrOk},
        {mtConfirmation, "確認", {mbYes, mbNo}, mrNo},
    };
    for (const auto& c : cases) {
        answer = c.answer;
        EXPECT_EQ(c.answer, MessageDlg("本文", c.type, c.buttons, 7)) << c.caption;
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(c.type, boxes.back().Type);
        EXPECT_EQ(c.caption, boxes.back().Caption);
        EXPECT_EQ("本文", boxes.back().Text);
        EXPECT_TRUE(c.buttons == boxes.back().Buttons) << c.caption;
    }
    Application->SetTitle("題名");
    EXPECT_EQ("題名", MessageDlgCaption(mtCustom));
}

// Without a seam the real box is shown: the buttons carry their Japanese labels, Esc chooses
// Cancel and a click on OK chooses OK.
TEST(MessageBoxTest, TheRealBoxLabelsItsButtonsAndAnswersEscWithCancel)
{
    Application->Initialize();
    TDialogSeamScope real{TDialogSeam::MessageHandler()};
    std::vector<std::string> labels;
    std::string title;
    std::string text;
    later([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        title = box->windowTitle().toStdString();
        text = box->text().toStdString();
        for (QAbstractButton* button : box->buttons()) {
            labels.push_back(button->text().toStdString());
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(mrCancel, MessageDlg("続けますか", mtWarning, TMsgDlgButtons{mbOK, mbCancel}, 0));
    EXPECT_EQ("警告", title);
    EXPECT_EQ("続けますか", text);
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ((std::vector<std::string>{"OK", "キャンセル"}), labels);

    later([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == QStringLiteral("OK")) {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        }
    });
    EXPECT_EQ(mrOk, MessageDlg("エラーです", mtError, TMsgDlgButtons{mbOK}, 0));
}

class OpenDialogTest : public ClasslibTest {
protected:
    OpenDialogTest()
        : previous(TDialogSeam::SetOpenHandler([this](const TOpenDialogRequest& request, std::vector<std::string>& files) {
              requests.push_back(request);
              files = choice;
              return !cancel;
          }))
    {
    }
    ~OpenDialogTest() override { TDialogSeam::SetOpenHandler(std::move(previous)); }

    TDialogSeam::OpenHandler previous;
    std::vector<TOpenDialogRequest> requests;
    std::vector<std::string> choice;
    bool cancel = false;
};

TEST_F(OpenDialogTest, ExecuteHandsItsSettingsToTheDialogAndReadsTheChoiceBack)
{
    TOpenDialog dialog(nullptr);
    EXPECT_TRUE(dialog.Options() == (TOpenOptions{ofHideReadOnly, ofEnableSizing}));
    dialog.SetOptions(TOpenOptions{ofAllowMultiSelect, ofHideReadOnly});
    dialog.SetInitialDir("/tmp");
    dialog.SetFileName("a.bin");
    dialog.SetTitle("開く");
    dialog.SetFilter("All|*");
    choice = {"/tmp/a.bin", "/tmp/b.bin", "/tmp/c d.bin"};
    ASSERT_TRUE(dialog.Execute());
    ASSERT_EQ(1u, requests.size());
    EXPECT_TRUE(requests[0].Options == (TOpenOptions{ofAllowMultiSelect, ofHideReadOnly}));
    EXPECT_EQ("/tmp", requests[0].InitialDir);
    EXPECT_EQ("a.bin", requests[0].FileName);
    EXPECT_EQ("開く", requests[0].Title);
    EXPECT_EQ("All|*", requests[0].Filter);
    ASSERT_EQ(3, dialog.Files()->Count());
    EXPECT_EQ("/tmp/c d.bin", dialog.Files()->Get(2));
    EXPECT_EQ("/tmp/a.bin", dialog.FileName());

    // A cancelled dialog reports no choice and leaves what was chosen before.
    cancel = true;
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(3, dialog.Files()->Count());

    // Without multiple selection one file at most.
    cancel = false;
    dialog.SetOptions(TOpenOptions{ofHideReadOnly});
    choice = {"/tmp/x", "/tmp/y"};
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(1, dialog.Files()->Count());
    EXPECT_EQ("/tmp/x", dialog.FileName());

    // Nothing chosen is a cancel.
    choice.clear();
    EXPECT_FALSE(dialog.Execute());
}

// Without a seam the real dialog opens in InitialDir, lists hidden files when asked, and a
// rejected dialog answers false.
TEST(RealOpenDialogTest, OpensInItsFolderAndAnswersARejectWithFalse)
{
    Application->Initialize();
    TDialogSeamScope real{TDialogSeam::MessageHandler(), TDialogSeam::OpenHandler()};
    TOpenDialog dialog(nullptr);
    dialog.SetOptions(TOpenOptions{ofHideReadOnly, ofForceShowHidden, ofAllowMultiSelect});
    dialog.SetInitialDir("/tmp");
    dialog.SetTitle("開く");
    std::string directory;
    std::string title;
    bool hidden = false;
    bool multi = false;
    later([&] {
        auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, shown);
        directory = shown->directory().absolutePath().toStdString();
        title = shown->windowTitle().toStdString();
        hidden = (shown->filter() & QDir::Hidden) != 0;
        multi = shown->fileMode() == QFileDialog::ExistingFiles;
        shown->reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ("/tmp", directory);
    EXPECT_EQ("開く", title);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(multi);
    EXPECT_EQ(0, dialog.Files()->Count());
}

}  // namespace
