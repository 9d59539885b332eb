#pragma once

#include "framework/Tbaseform.h"
#include "platform/classlib/Types.h"

class TButton;
class TComponent;
class TLabel;
class TListView;

// The plug-in settings dialog's form: the list of installed plug-ins with a check box each and
// the buttons around it. No event is wired here, the view does that.
class TPluginOptionForm : public TBaseForm {
public:
    explicit TPluginOptionForm(TComponent* owner);
    explicit TPluginOptionForm(HWND parentWindow);
    ~TPluginOptionForm() override;

    TButton* OKBtn = nullptr;
    TButton* CancelBtn = nullptr;
    TLabel* Label1 = nullptr;
    TButton* SwitchBtn = nullptr;
    TButton* RefreshBtn = nullptr;
    TButton* PropertyBtn = nullptr;
    // Row i stands for the plug-in at index i of the plug-in model: caption the name, sub-items
    // version, vendor and (unshown) identifier; Data the check state last seen by the check-box
    // handler, 1 or null, so that a user's click can be told from the program's own changes.
    TListView* PluginsList = nullptr;

private:
    void createControls();
};
