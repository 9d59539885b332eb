#pragma once

#include "platform/classlib/TForm.h"
#include "plugins/userdefined/Userrule.h"

#include <string>
#include <vector>

class TButton;
class TLabel;
class TListItem;
class TListView;
class TObject;
class TOpenDialog;

// The user-defined plug-in's property dialog: the list of rules, in the order they are tried, to
// add, edit, delete and move, and to read from a rules file of the command-line carvers. The
// changes are the dialog's own until OK.
class UserRulesDialog : public TForm {
public:
    UserRulesDialog(HWND parentWindow, std::vector<UserRule> rules);
    ~UserRulesDialog() override;

    // Tells of the stored rules that could not be read (problems), shows the dialog modally over
    // parentWindow and returns true, with rules changed, when the user chose OK. Without the
    // program's window system nothing is shown and the result is false.
    static bool Execute(HWND parentWindow, std::vector<UserRule>& rules, const std::vector<std::string>& problems);

    const std::vector<UserRule>& Rules() const { return rules; }
    // Reads a rules file into the list, after the rules it holds, and tells what it could not take.
    void ImportFile(const std::string& path);

    TLabel* RulesLabel = nullptr;
    TListView* RulesList = nullptr;
    TButton* AddBtn = nullptr;
    TButton* EditBtn = nullptr;
    TButton* DeleteBtn = nullptr;
    TButton* UpBtn = nullptr;
    TButton* DownBtn = nullptr;
    TButton* ImportBtn = nullptr;
    TButton* OKBtn = nullptr;
    TButton* CancelBtn = nullptr;
    TOpenDialog* ImportDialog = nullptr;

private:
    void createControls();
    // Fills the list from the rules and selects the row at selected (none when out of range).
    void showRules(int selected);
    void updateButtons();
    int selectedIndex() const;
    void moveSelected(int step);

    void addClick(TObject* sender);
    void editClick(TObject* sender);
    void deleteClick(TObject* sender);
    void upClick(TObject* sender);
    void downClick(TObject* sender);
    void importClick(TObject* sender);
    void selectItem(TObject* sender, TListItem* item, bool selected);

    std::vector<UserRule> rules;
};
