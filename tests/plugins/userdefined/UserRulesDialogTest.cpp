// The user-defined plug-in's dialogs, driven offscreen through their controls while they run
// modally, with message boxes and the open-file dialog answered through the class library's seam.

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TStrings.h"
#include "plugins/userdefined/Userruleeditdialog.h"
#include "plugins/userdefined/Userrulesdialog.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// A rule of the given fields, the others as a new rule has them.
UserRule ruleOf(const std::string& kind, const std::string& header, bool headerIsText, const std::string& footer = "",
                bool footerIsText = false, std::uint64_t largestSize = 100)
{
    UserRule rule;
    rule.kind = kind;
    rule.header = header;
    rule.headerIsText = headerIsText;
    rule.footer = footer;
    rule.footerIsText = footerIsText;
    rule.largestSize = largestSize;
    return rule;
}

// Runs open, which shows a modal Form; once that form is the modal window, hands it to drive,
// which must close it. Returns whether drive ran.
template <class Form>
bool whileModal(const std::function<void()>& open, const std::function<void(Form&)>& drive)
{
    bool driven = false;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* form = modal != nullptr ? dynamic_cast<Form*>(classlib::controlOf(modal)) : nullptr;
        if (form == nullptr) {
            return;
        }
        timer.stop();
        driven = true;
        drive(*form);
    });
    timer.start();
    open();
    return driven;
}

void fill(UserRuleEditDialog& dialog, const std::string& kind, const std::string& header, bool headerIsText,
          const std::string& footer, const std::string& size)
{
    dialog.KindEdit->SetText(kind);
    dialog.HeaderEdit->SetText(header);
    dialog.HeaderTextBox->SetChecked(headerIsText);
    dialog.FooterEdit->SetText(footer);
    dialog.FooterTextBox->SetChecked(false);
    dialog.SizeEdit->SetText(size);
}

class UserRulesDialogTest : public ::testing::Test {
protected:
    UserRulesDialogTest()
        : seam([this](const TMessageDlgRequest& request) {
              messages.push_back(request.Text);
              return int(mrOk);
          },
              [this](const TOpenDialogRequest&, std::vector<std::string>& files) {
                  if (chosenFile.empty()) {
                      return false;
                  }
                  files.push_back(chosenFile);
                  return true;
              })
    {
        Application->Initialize();
    }

    std::vector<std::string> kinds(const UserRulesDialog& dialog) const
    {
        std::vector<std::string> found;
        for (const UserRule& rule : dialog.Rules()) {
            found.push_back(rule.kind);
        }
        return found;
    }

    std::vector<std::string> rowCaptions(const UserRulesDialog& dialog) const
    {
        std::vector<std::string> found;
        for (int i = 0; i < dialog.RulesList->Items()->Count(); ++i) {
            found.push_back(dialog.RulesList->Items()->Item(i)->Caption());
        }
        return found;
    }

    static std::vector<UserRule> threeRules()
    {
        return {ruleOf("aaa", "AAAA", true), ruleOf("bbb", "42 42", false, "", false, 500), ruleOf("ccc", "CCCC", true)};
    }

    std::vector<std::string> messages;
    std::string chosenFile;
    TDialogSeamScope seam;
};

TEST_F(UserRulesDialogTest, AddTakesTheRuleOnlyOnceEveryFieldIsRight)
{
    UserRulesDialog dialog(nullptr, {});
    EXPECT_FALSE(dialog.EditBtn->Enabled()) << "nothing to edit in an empty list";
    const bool driven = whileModal<UserRuleEditDialog>([&] { dialog.AddBtn->Click(); }, [&](UserRuleEditDialog& edit) {
        EXPECT_EQ(edit.SizeEdit->Text(), "1000000") << "a new rule offers a largest size";
        fill(edit, "zip", "50 4B 0G 04", false, "50 4B 05 06", "2000000");
        edit.OKBtn->Click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("16 進数でない文字「G」"), std::string::npos) << messages[0];
        EXPECT_TRUE(edit.Visible()) << "a refused field keeps the dialog open";
        EXPECT_EQ(edit.ModalResult(), mrNone);
        edit.HeaderEdit->SetText("50 4B 03 04");
        edit.OKBtn->Click();
    });
    ASSERT_TRUE(driven);
    ASSERT_EQ(dialog.Rules().size(), 1u);
    const UserRule& rule = dialog.Rules()[0];
    EXPECT_EQ(rule.kind, "zip");
    EXPECT_EQ(rule.header, "50 4B 03 04");
    EXPECT_EQ(rule.footer, "50 4B 05 06");
    EXPECT_EQ(rule.largestSize, 2000000u);
    ASSERT_EQ(dialog.RulesList->Items()->Count(), 1);
    TListItem* row = dialog.RulesList->Items()->Item(0);
    EXPECT_EQ(row->Caption(), "zip");
    EXPECT_EQ(row->SubItems()->Strings(0), "50 4B 03 04");
    EXPECT_EQ(row->SubItems()->Strings(3), "最初のフッター");
    EXPECT_TRUE(row->Selected()) << "the new rule is selected";
    EXPECT_TRUE(dialog.EditBtn->Enabled());
}

TEST_F(UserRulesDialogTest, EachFieldIsCheckedWithAClearMessage)
{
    const std::string longHeader(UserRule::largestPattern + 1, 'H');
    const struct {
        const char* kind;
        std::string header;
        bool headerIsText;
        const char* footer;
        const char* size;
        const char* part;
    } cases[] = {
        {"", "AAAA", true, "", "100", "種類を入力してください"},
        {"a.b", "AAAA", true, "", "100", "ファイル名に使えません"},
        {"raw", "", true, "", "100", "ヘッダーを入力してください"},
        {"raw", "", false, "", "100", "ヘッダーを入力してください"},
        {"raw", "ZZ", false, "", "100", "16 進数でない文字「Z」"},
        {"raw", "?? ??", false, "", "100", "すべて ?"},
        {"raw", longHeader, true, "", "2000", "1024 バイトまで"},
        {"raw", "AAAA", true, "4", "100", "桁数が奇数"},
        {"raw", "AAAA", true, "", "0", "0 は指定できません"},
        {"raw", "AAAA", true, "", "", "最大サイズを入力してください"},
        {"raw", "AAAA", true, "", "12k", "数値として読めません"},
        {"raw", "AAAA", true, "", "2", "ヘッダー（4 バイト）より小さい"},
    };
    for (const auto& c : cases) {
        messages.clear();
        UserRule rule;
        const bool driven = whileModal<UserRuleEditDialog>(
            [&] { EXPECT_FALSE(UserRuleEditDialog::Execute(nullptr, rule)) << c.part; },
            [&](UserRuleEditDialog& edit) {
                fill(edit, c.kind, c.header, c.headerIsText, c.footer, c.size);
                edit.OKBtn->Click();
                EXPECT_EQ(edit.ModalResult(), mrNone) << c.part;
                edit.CancelBtn->Click();
            });
        ASSERT_TRUE(driven);
        ASSERT_EQ(messages.size(), 1u) << c.part;
        EXPECT_NE(messages[0].find(c.part), std::string::npos) << messages[0];
    }
}

TEST_F(UserRulesDialogTest, EditShowsTheRuleAndCancelKeepsIt)
{
    UserRulesDialog dialog(nullptr, threeRules());
    dialog.RulesList->SetItemIndex(1);
    ASSERT_TRUE(whileModal<UserRuleEditDialog>([&] { dialog.EditBtn->Click(); }, [&](UserRuleEditDialog& edit) {
        EXPECT_EQ(edit.KindEdit->Text(), "bbb");
        EXPECT_EQ(edit.HeaderEdit->Text(), "42 42");
        EXPECT_FALSE(edit.HeaderTextBox->Checked());
        EXPECT_EQ(edit.SizeEdit->Text(), "500");
        edit.SizeEdit->SetText("9");
        edit.CancelBtn->Click();
    }));
    EXPECT_EQ(dialog.Rules()[1].largestSize, 500u);

    ASSERT_TRUE(whileModal<UserRuleEditDialog>([&] { dialog.EditBtn->Click(); }, [&](UserRuleEditDialog& edit) {
        edit.SizeEdit->SetText("9");
        edit.LastFooterBox->SetChecked(true);
        edit.FooterEdit->SetText("END");
        edit.FooterTextBox->SetChecked(true);
        edit.OKBtn->Click();
    }));
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(dialog.Rules()[1].largestSize, 9u);
    EXPECT_EQ(dialog.Rules()[1].footer, "END");
    EXPECT_TRUE(dialog.Rules()[1].endsAtLastFooter);
    EXPECT_EQ(dialog.RulesList->Items()->Item(1)->SubItems()->Strings(3), "最後のフッター");
    EXPECT_EQ(dialog.RulesList->ItemIndex(), 1);
}

TEST_F(UserRulesDialogTest, DeleteAndReorderKeepTheListAndTheRulesInStep)
{
    UserRulesDialog dialog(nullptr, threeRules());
    dialog.RulesList->SetItemIndex(0);
    EXPECT_FALSE(dialog.UpBtn->Enabled()) << "the first rule cannot go up";
    dialog.DownBtn->Click();
    EXPECT_EQ(kinds(dialog), (std::vector<std::string>{"bbb", "aaa", "ccc"}));
    EXPECT_EQ(dialog.RulesList->ItemIndex(), 1) << "the selection moves with the rule";
    dialog.DownBtn->Click();
    EXPECT_EQ(kinds(dialog), (std::vector<std::string>{"bbb", "ccc", "aaa"}));
    EXPECT_FALSE(dialog.DownBtn->Enabled()) << "the last rule cannot go down";
    dialog.UpBtn->Click();
    dialog.UpBtn->Click();
    EXPECT_EQ(kinds(dialog), (std::vector<std::string>{"aaa", "bbb", "ccc"}));
    EXPECT_EQ(rowCaptions(dialog), kinds(dialog));

    dialog.RulesList->SetItemIndex(1);
    dialog.DeleteBtn->Click();
    EXPECT_EQ(kinds(dialog), (std::vector<std::string>{"aaa", "ccc"}));
    EXPECT_EQ(dialog.RulesList->ItemIndex(), 1) << "the next rule takes the selection";
    dialog.DeleteBtn->Click();
    EXPECT_EQ(dialog.RulesList->ItemIndex(), 0) << "past the last one, the one before";
    dialog.DeleteBtn->Click();
    EXPECT_TRUE(dialog.Rules().empty());
    EXPECT_TRUE(rowCaptions(dialog).empty());
    EXPECT_FALSE(dialog.DeleteBtn->Enabled());
}

TEST_F(UserRulesDialogTest, ImportAppendsTheRulesAndNamesTheLinesItCouldNotTake)
{
    chosenFile = (std::filesystem::temp_directory_path() / "glintfetch-userdefined-rules.conf").string();
    {
        std::ofstream file(chosenFile, std::ios::binary);
        file << "# carving rules\n"
                "gif\ty\t5000000\t\\x47\\x49\\x46\\x38\t\\x00\\x3b\n"
                "bad y zero GIF8\n"
                "\n"
                "htm n 50000 <html </html> REVERSE\n"
                "x/y y 10 ABCD\n";
    }
    UserRulesDialog dialog(nullptr, {ruleOf("mine", "MINE", true)});
    dialog.ImportBtn->Click();
    std::remove(chosenFile.c_str());
    EXPECT_EQ(kinds(dialog), (std::vector<std::string>{"mine", "gif", "htm"}));
    EXPECT_EQ(rowCaptions(dialog), kinds(dialog));
    EXPECT_EQ(dialog.RulesList->ItemIndex(), 1) << "the first imported rule is selected";
    ASSERT_EQ(messages.size(), 1u);
    const std::string& report = messages[0];
    EXPECT_NE(report.find("2 個の規則を読み込みました"), std::string::npos) << report;
    EXPECT_NE(report.find("3 行目："), std::string::npos) << report;
    EXPECT_NE(report.find("6 行目："), std::string::npos) << report;
    EXPECT_EQ(report.find("5 行目"), std::string::npos) << report;
}

TEST_F(UserRulesDialogTest, ImportOfAFileThatCannotBeOpenedSaysSo)
{
    chosenFile = "/nonexistent/rules.conf";
    UserRulesDialog dialog(nullptr, {});
    dialog.ImportBtn->Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("開けません"), std::string::npos) << messages[0];
    EXPECT_TRUE(dialog.Rules().empty());
}

TEST_F(UserRulesDialogTest, ExecuteGivesTheRulesOnOkOnly)
{
    std::vector<UserRule> rules = threeRules();
    ASSERT_TRUE(whileModal<UserRulesDialog>(
        [&] { EXPECT_FALSE(UserRulesDialog::Execute(nullptr, rules, {})); }, [](UserRulesDialog& dialog) {
            dialog.RulesList->SetItemIndex(0);
            dialog.DeleteBtn->Click();
            dialog.CancelBtn->Click();
        }));
    EXPECT_EQ(rules.size(), 3u) << "Cancel keeps the rules as they were";

    ASSERT_TRUE(whileModal<UserRulesDialog>(
        [&] { EXPECT_TRUE(UserRulesDialog::Execute(nullptr, rules, {"規則 4（x）：壊れています"})); },
        [](UserRulesDialog& dialog) {
            dialog.RulesList->SetItemIndex(0);
            dialog.DeleteBtn->Click();
            dialog.OKBtn->Click();
        }));
    EXPECT_EQ(rules.size(), 2u);
    ASSERT_EQ(messages.size(), 1u) << "the rules that could not be read are named first";
    EXPECT_NE(messages[0].find("規則 4（x）"), std::string::npos) << messages[0];
}

}  // namespace
