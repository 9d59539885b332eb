#pragma once

#include "framework/Tbaseform.h"
#include "platform/classlib/Types.h"

class TButton;
class TComponent;
class TLabel;
class TMemo;
class TProgressBar;

// The extraction dialog's form: the file and total progress bars, a line of bytes scanned,
// speed and time left, a line of the finds so far by kind, the log, the one button that cancels
// a run and, once it has ended, closes the dialog, and the button that opens the output folder.
// No event is wired here, the view does that.
class TExtractForm : public TBaseForm {
public:
    explicit TExtractForm(TComponent* owner);
    explicit TExtractForm(HWND parentWindow);
    ~TExtractForm() override;

    TLabel* Label1 = nullptr;
    TProgressBar* FileProgress = nullptr;
    TLabel* Label2 = nullptr;
    TProgressBar* TotalProgress = nullptr;
    TLabel* ProgressText = nullptr;
    TLabel* FindsText = nullptr;
    TLabel* Label3 = nullptr;
    TMemo* Logger = nullptr;
    TButton* CancelBtn = nullptr;
    TButton* OpenFolderBtn = nullptr;

private:
    void createControls();
};
