#pragma once

#include "framework/Tbaseform.h"
#include "platform/classlib/Types.h"

class TButton;
class TComponent;
class TLabel;
class TMemo;
class TProgressBar;

// The extraction dialog's form: the file and total progress bars, the log and the one button
// that cancels a run and, once it has ended, closes the dialog. No event is wired here, the view
// does that.
class TExtractForm : public TBaseForm {
public:
    explicit TExtractForm(TComponent* owner);
    explicit TExtractForm(HWND parentWindow);
    ~TExtractForm() override;

    TLabel* Label1 = nullptr;
    TProgressBar* FileProgress = nullptr;
    TLabel* Label2 = nullptr;
    TProgressBar* TotalProgress = nullptr;
    TLabel* Label3 = nullptr;
    TMemo* Logger = nullptr;
    TButton* CancelBtn = nullptr;

private:
    void createControls();
};
