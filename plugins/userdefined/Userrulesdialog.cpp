#include "plugins/userdefined/Userrulesdialog.h"

#include "platform/classlib/MessageDlg.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TOpenDialog.h"
#include "platform/classlib/TStrings.h"
#include "plugins/userdefined/Rulesfile.h"
#include "plugins/userdefined/Userruleeditdialog.h"
#include "plugins/userdefined/Userrulestore.h"

#include <fstream>
#include <sstream>
#include <utility>

namespace {

// A rules file is a few hundred lines; anything far larger is not one.
const std::streamoff largestRulesFile = 1024 * 1024;
// Lines of refused rules a report names one by one.
const std::size_t reportedLines = 15;

std::string patternText(const std::string& text, bool isText)
{
    return isText ? "「" + text + "」" : text;
}

std::string endText(const UserRule& rule)
{
    if (rule.footer.empty()) {
        return "最大サイズまで";
    }
    std::string text = rule.endsAtLastFooter ? "最後のフッター" : "最初のフッター";
    return rule.footerIncluded ? text : text + "の前";
}

TButton* makeButton(TForm* form, const char* name, int top, const char* caption)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(form);
    button->SetBounds(544, top, 96, 25);
    button->SetCaption(caption);
    return button;
}

}  // namespace

UserRulesDialog::UserRulesDialog(HWND parentWindow, std::vector<UserRule> rules)
    : TForm(parentWindow), rules(std::move(rules))
{
    createControls();
    showRules(this->rules.empty() ? -1 : 0);
}

UserRulesDialog::~UserRulesDialog() = default;

bool UserRulesDialog::Execute(HWND parentWindow, std::vector<UserRule>& rules,
                              const std::vector<std::string>& problems)
{
    if (!TApplication::WindowSystemRunning()) {
        return false;
    }
    if (!problems.empty()) {
        std::string text = "設定ファイルの次の規則は使えないため読み込みませんでした。OK で保存すると消えます。\n";
        for (const std::string& problem : problems) {
            text += "\n" + problem;
        }
        MessageDlg(text, mtWarning, TMsgDlgButtons{mbOK}, 0);
    }
    UserRulesDialog dialog(parentWindow, rules);
    // The program's window is no control of the plug-in's own class library.
    if (TWinControl::FindControl(parentWindow) == nullptr) {
        dialog.SetOtherModuleParentWindow(parentWindow);
    }
    if (dialog.ShowModal() != mrOk) {
        return false;
    }
    rules = dialog.Rules();
    return true;
}

void UserRulesDialog::createControls()
{
    SetName("UserRulesDialog");
    SetCaption("ユーザー定義の設定");
    // The size first: a dialog border fixes the client area at the size it has then.
    SetClientSize(648, 360);
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    Font()->SetName("ＭＳ Ｐゴシック");
    Font()->SetHeight(-12);

    RulesLabel = new TLabel(this);
    RulesLabel->SetName("RulesLabel");
    RulesLabel->SetParent(this);
    RulesLabel->SetBounds(8, 8, 528, 12);
    RulesLabel->SetCaption("規則（一つの位置に複数の規則が合うときは、上の規則が使われます）");

    RulesList = new TListView(this);
    RulesList->SetName("RulesList");
    RulesList->SetParent(this);
    RulesList->SetBounds(8, 24, 528, 294);
    RulesList->SetViewStyle(vsReport);
    RulesList->SetRowSelect(true);
    RulesList->SetReadOnly(true);
    RulesList->SetMultiSelect(false);
    struct ColumnSpec {
        const char* caption;
        int width;
    };
    const ColumnSpec columns[] = {
        {"種類", 60}, {"ヘッダー", 140}, {"フッター", 116}, {"最大サイズ", 80}, {"終わり", 128},
    };
    for (const ColumnSpec& spec : columns) {
        TListColumn* column = RulesList->Columns()->Add();
        column->SetCaption(spec.caption);
        column->SetWidth(spec.width);
    }
    RulesList->OnSelectItem = TLVSelectItemEvent(this, &UserRulesDialog::selectItem);
    RulesList->OnDblClick = TNotifyEvent(this, &UserRulesDialog::editClick);

    AddBtn = makeButton(this, "AddBtn", 24, "追加...");
    AddBtn->OnClick = TNotifyEvent(this, &UserRulesDialog::addClick);
    EditBtn = makeButton(this, "EditBtn", 56, "編集...");
    EditBtn->OnClick = TNotifyEvent(this, &UserRulesDialog::editClick);
    DeleteBtn = makeButton(this, "DeleteBtn", 88, "削除");
    DeleteBtn->OnClick = TNotifyEvent(this, &UserRulesDialog::deleteClick);
    UpBtn = makeButton(this, "UpBtn", 132, "上へ");
    UpBtn->OnClick = TNotifyEvent(this, &UserRulesDialog::upClick);
    DownBtn = makeButton(this, "DownBtn", 164, "下へ");
    DownBtn->OnClick = TNotifyEvent(this, &UserRulesDialog::downClick);
    ImportBtn = makeButton(this, "ImportBtn", 208, "読み込み...");
    ImportBtn->OnClick = TNotifyEvent(this, &UserRulesDialog::importClick);

    OKBtn = new TButton(this);
    OKBtn->SetName("OKBtn");
    OKBtn->SetParent(this);
    OKBtn->SetBounds(456, 328, 80, 25);
    OKBtn->SetCaption("OK");
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);

    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(544, 328, 96, 25);
    CancelBtn->SetCaption("キャンセル");
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);

    ImportDialog = new TOpenDialog(this);
    ImportDialog->SetName("ImportDialog");
    ImportDialog->SetTitle("規則ファイルの読み込み");
    ImportDialog->SetFilter("規則ファイル (*.conf;*.txt)|*.conf;*.txt|すべてのファイル|*");
    ImportDialog->SetOptions(TOpenOptions{ofHideReadOnly, ofFileMustExist, ofEnableSizing});
}

void UserRulesDialog::showRules(int selected)
{
    RulesList->Items()->BeginUpdate();
    RulesList->Items()->Clear();
    for (const UserRule& rule : rules) {
        TListItem* row = RulesList->Items()->Add();
        row->SetCaption(rule.kind);
        row->SubItems()->Add(patternText(rule.header, rule.headerIsText));
        row->SubItems()->Add(rule.footer.empty() ? "（なし）" : patternText(rule.footer, rule.footerIsText));
        row->SubItems()->Add(std::to_string(rule.largestSize));
        row->SubItems()->Add(endText(rule));
    }
    RulesList->Items()->EndUpdate();
    RulesList->SetItemIndex(selected >= 0 && selected < static_cast<int>(rules.size()) ? selected : -1);
    updateButtons();
}

void UserRulesDialog::updateButtons()
{
    const int selected = selectedIndex();
    EditBtn->SetEnabled(selected >= 0);
    DeleteBtn->SetEnabled(selected >= 0);
    UpBtn->SetEnabled(selected > 0);
    DownBtn->SetEnabled(selected >= 0 && selected + 1 < static_cast<int>(rules.size()));
    AddBtn->SetEnabled(rules.size() < UserRuleStore::largestCount);
}

int UserRulesDialog::selectedIndex() const
{
    const int index = RulesList->ItemIndex();
    return index >= 0 && index < static_cast<int>(rules.size()) ? index : -1;
}

void UserRulesDialog::selectItem(TObject*, TListItem*, bool)
{
    updateButtons();
}

void UserRulesDialog::addClick(TObject*)
{
    UserRule rule;
    rule.largestSize = 1000000;
    if (UserRuleEditDialog::Execute(Handle(), rule)) {
        // After the selected rule, or at the end.
        const int selected = selectedIndex();
        const int at = selected >= 0 ? selected + 1 : static_cast<int>(rules.size());
        rules.insert(rules.begin() + at, rule);
        showRules(at);
    }
}

void UserRulesDialog::editClick(TObject*)
{
    const int selected = selectedIndex();
    if (selected < 0) {
        return;
    }
    UserRule rule = rules[static_cast<std::size_t>(selected)];
    if (UserRuleEditDialog::Execute(Handle(), rule)) {
        rules[static_cast<std::size_t>(selected)] = rule;
        showRules(selected);
    }
}

void UserRulesDialog::deleteClick(TObject*)
{
    const int selected = selectedIndex();
    if (selected < 0) {
        return;
    }
    rules.erase(rules.begin() + selected);
    showRules(selected < static_cast<int>(rules.size()) ? selected : selected - 1);
}

void UserRulesDialog::upClick(TObject*)
{
    moveSelected(-1);
}

void UserRulesDialog::downClick(TObject*)
{
    moveSelected(1);
}

void UserRulesDialog::moveSelected(int step)
{
    const int selected = selectedIndex();
    const int target = selected + step;
    if (selected < 0 || target < 0 || target >= static_cast<int>(rules.size())) {
        return;
    }
    std::swap(rules[static_cast<std::size_t>(selected)], rules[static_cast<std::size_t>(target)]);
    showRules(target);
}

void UserRulesDialog::importClick(TObject*)
{
    if (ImportDialog->Execute()) {
        ImportFile(ImportDialog->FileName());
    }
}

void UserRulesDialog::ImportFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        MessageDlg("規則ファイル「" + path + "」を開けません。", mtError, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    file.seekg(0, std::ios::beg);
    if (size > largestRulesFile) {
        MessageDlg("「" + path + "」は規則ファイルとしては大きすぎます（1 MiB まで）。", mtError, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        MessageDlg("規則ファイル「" + path + "」を読み込めません。", mtError, TMsgDlgButtons{mbOK}, 0);
        return;
    }

    std::vector<UserRule> read;
    std::vector<RulesFile::Problem> problems;
    RulesFile::parse(content.str(), read, problems);
    std::size_t taken = 0;
    for (UserRule& rule : read) {
        if (rules.size() >= UserRuleStore::largestCount) {
            break;
        }
        rules.push_back(std::move(rule));
        ++taken;
    }
    const int first = static_cast<int>(rules.size() - taken);
    showRules(taken > 0 ? first : selectedIndex());

    std::string report = "「" + path + "」から " + std::to_string(taken) + " 個の規則を読み込みました。";
    if (taken < read.size()) {
        report += "\n規則は " + std::to_string(UserRuleStore::largestCount) + " 個までのため、残りの " +
                  std::to_string(read.size() - taken) + " 個は読み込んでいません。";
    }
    if (problems.empty()) {
        MessageDlg(report, taken < read.size() ? mtWarning : mtInformation, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    report += "\n次の " + std::to_string(problems.size()) + " 行は読み込めませんでした：\n";
    for (std::size_t i = 0; i < problems.size() && i < reportedLines; ++i) {
        report += "\n" + std::to_string(problems[i].line) + " 行目：" + problems[i].reason;
    }
    if (problems.size() > reportedLines) {
        report += "\nほか " + std::to_string(problems.size() - reportedLines) + " 行";
    }
    MessageDlg(report, mtWarning, TMsgDlgButtons{mbOK}, 0);
}
