#pragma once

#include "platform/classlib/TForm.h"
#include "plugins/userdefined/Userrule.h"

class TButton;
class TCheckBox;
class TEdit;
class TLabel;
class TObject;

// The dialog of one rule: its kind, header, footer, largest size and how the find ends. OK takes
// the fields only when every one of them can be used; otherwise it says what is wrong, puts the
// cursor in that field and stays open.
class UserRuleEditDialog : public TForm {
public:
    UserRuleEditDialog(HWND parentWindow, const UserRule& rule);
    ~UserRuleEditDialog() override;

    // Shows the dialog modally over parentWindow; true, with rule changed, when OK took it.
    static bool Execute(HWND parentWindow, UserRule& rule);

    const UserRule& Rule() const { return rule; }

    TEdit* KindEdit = nullptr;
    TEdit* HeaderEdit = nullptr;
    TCheckBox* HeaderTextBox = nullptr;
    TEdit* FooterEdit = nullptr;
    TCheckBox* FooterTextBox = nullptr;
    TEdit* SizeEdit = nullptr;
    TCheckBox* LastFooterBox = nullptr;
    TCheckBox* FooterIncludedBox = nullptr;
    TCheckBox* CaseSensitiveBox = nullptr;
    TLabel* HintLabel = nullptr;
    TButton* OKBtn = nullptr;
    TButton* CancelBtn = nullptr;

private:
    void createControls();
    void showRule();
    void okClick(TObject* sender);
    void refuse(const std::string& reason, TEdit* field);

    UserRule rule;
};
