#include "plugins/userdefined/Userruleeditdialog.h"

#include "platform/classlib/MessageDlg.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TLabel.h"

namespace {

TLabel* makeLabel(TForm* form, int top, const char* caption)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(12, top + 4, 128, 12);
    label->SetCaption(caption);
    return label;
}

TEdit* makeEdit(TForm* form, const char* name, int top, int width, int maxLength)
{
    auto* edit = new TEdit(form);
    edit->SetName(name);
    edit->SetParent(form);
    edit->SetBounds(144, top, width, 20);
    edit->SetMaxLength(maxLength);
    return edit;
}

TCheckBox* makeCheckBox(TForm* form, const char* name, int left, int top, int width, const char* caption)
{
    auto* box = new TCheckBox(form);
    box->SetName(name);
    box->SetParent(form);
    box->SetBounds(left, top, width, 17);
    box->SetCaption(caption);
    return box;
}

}  // namespace

UserRuleEditDialog::UserRuleEditDialog(HWND parentWindow, const UserRule& rule)
    : TForm(parentWindow), rule(rule)
{
    createControls();
    showRule();
}

UserRuleEditDialog::~UserRuleEditDialog() = default;

bool UserRuleEditDialog::Execute(HWND parentWindow, UserRule& rule)
{
    UserRuleEditDialog dialog(parentWindow, rule);
    if (dialog.ShowModal() != mrOk) {
        return false;
    }
    rule = dialog.Rule();
    return true;
}

void UserRuleEditDialog::createControls()
{
    SetName("UserRuleEditDialog");
    SetCaption("規則の編集");
    // The size first: a dialog border fixes the client area at the size it has then.
    SetClientSize(470, 282);
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    Font()->SetName("ＭＳ Ｐゴシック");
    Font()->SetHeight(-12);

    // Text may be three bytes a character, hexadecimal three characters a byte.
    const int patternTextLength = static_cast<int>(UserRule::largestPattern) * 3;
    makeLabel(this, 12, "種類（拡張子）：");
    KindEdit = makeEdit(this, "KindEdit", 12, 120, 16);
    KindEdit->SetImeMode(imDisable);
    makeLabel(this, 40, "ヘッダー：");
    HeaderEdit = makeEdit(this, "HeaderEdit", 40, 230, patternTextLength);
    HeaderTextBox = makeCheckBox(this, "HeaderTextBox", 384, 41, 80, "テキスト");
    makeLabel(this, 68, "フッター（省略可）：");
    FooterEdit = makeEdit(this, "FooterEdit", 68, 230, patternTextLength);
    FooterTextBox = makeCheckBox(this, "FooterTextBox", 384, 69, 80, "テキスト");
    makeLabel(this, 96, "最大サイズ（バイト）：");
    SizeEdit = makeEdit(this, "SizeEdit", 96, 120, 15);
    SizeEdit->SetImeMode(imDisable);

    LastFooterBox = makeCheckBox(this, "LastFooterBox", 12, 128, 446,
                                 "最大サイズ内の最後のフッターで終える（外すと最初のフッター）");
    FooterIncludedBox = makeCheckBox(this, "FooterIncludedBox", 12, 150, 446, "フッターを抽出データに含める");
    CaseSensitiveBox = makeCheckBox(this, "CaseSensitiveBox", 12, 172, 446, "英字の大文字と小文字を区別する");

    HintLabel = new TLabel(this);
    HintLabel->SetName("HintLabel");
    HintLabel->SetParent(this);
    HintLabel->SetBounds(12, 198, 446, 36);
    HintLabel->SetCaption("16 進数の例：50 4B 03 04（504B0304 も可）。? または ?? は任意の 1 バイトです。\n"
                          "フッターがなければ、ヘッダーから最大サイズまで（入力の終わりまで）を抽出します。");

    OKBtn = new TButton(this);
    OKBtn->SetName("OKBtn");
    OKBtn->SetParent(this);
    OKBtn->SetBounds(296, 246, 75, 25);
    OKBtn->SetCaption("OK");
    OKBtn->SetDefault(true);
    OKBtn->OnClick = TNotifyEvent(this, &UserRuleEditDialog::okClick);

    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(382, 246, 80, 25);
    CancelBtn->SetCaption("キャンセル");
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
}

void UserRuleEditDialog::showRule()
{
    KindEdit->SetText(rule.kind);
    HeaderEdit->SetText(rule.header);
    HeaderTextBox->SetChecked(rule.headerIsText);
    FooterEdit->SetText(rule.footer);
    FooterTextBox->SetChecked(rule.footerIsText);
    SizeEdit->SetText(rule.largestSize == 0 ? std::string() : std::to_string(rule.largestSize));
    LastFooterBox->SetChecked(rule.endsAtLastFooter);
    FooterIncludedBox->SetChecked(rule.footerIncluded);
    CaseSensitiveBox->SetChecked(rule.caseSensitive);
}

void UserRuleEditDialog::okClick(TObject*)
{
    UserRule typed;
    typed.kind = KindEdit->Text();
    typed.header = HeaderEdit->Text();
    typed.headerIsText = HeaderTextBox->Checked();
    typed.footer = FooterEdit->Text();
    typed.footerIsText = FooterTextBox->Checked();
    typed.endsAtLastFooter = LastFooterBox->Checked();
    typed.footerIncluded = FooterIncludedBox->Checked();
    typed.caseSensitive = CaseSensitiveBox->Checked();
    // A hexadecimal footer of spaces alone is no footer.
    if (!typed.footerIsText && typed.footer.find_first_not_of(" \t") == std::string::npos) {
        typed.footer.clear();
    }

    CompiledRule compiled;
    CompiledRule::Field field = CompiledRule::kindField;
    // The size text is read last, so that the fields are checked from the top down.
    typed.largestSize = 1;
    std::string reason = CompiledRule::compile(typed, compiled, &field);
    if (!reason.empty() && field != CompiledRule::sizeField) {
        refuse(reason, field == CompiledRule::kindField     ? KindEdit
                       : field == CompiledRule::headerField ? HeaderEdit
                                                            : FooterEdit);
        return;
    }
    reason = parseLargestSize(SizeEdit->Text(), typed.largestSize);
    if (reason.empty()) {
        reason = CompiledRule::compile(typed, compiled, &field);
    }
    if (!reason.empty()) {
        refuse(reason, SizeEdit);
        return;
    }
    rule = typed;
    SetModalResult(mrOk);
}

void UserRuleEditDialog::refuse(const std::string& reason, TEdit* field)
{
    MessageDlg(reason, mtError, TMsgDlgButtons{mbOK}, 0);
    if (field->CanFocus()) {
        field->SetFocus();
    }
}
