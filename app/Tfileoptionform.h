#pragma once

#include "framework/Tbaseform.h"
#include "platform/classlib/Types.h"

class TButton;
class TCheckBox;
class TComponent;
class TEdit;
class TGroupBox;
class TLabel;

// The file-option dialog's form: the folder options, the window of extracted file sizes and what
// is done with the file systems on an input. The
// controls are made by the constructors and belong to the form; no event is wired here, the view
// does that.
class TFileOptionForm : public TBaseForm {
public:
    explicit TFileOptionForm(TComponent* owner);
    explicit TFileOptionForm(HWND parentWindow);
    ~TFileOptionForm() override;

    TButton* OKBtn = nullptr;
    TButton* CancelBtn = nullptr;
    TGroupBox* FolderMethods = nullptr;
    TCheckBox* PerFile = nullptr;
    TCheckBox* PerFormat = nullptr;
    TGroupBox* ExtFileSize = nullptr;
    TEdit* ExtSizeFrom = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* ExtSizeTo = nullptr;
    TLabel* Label2 = nullptr;
    // Whether finds that need bytes the input could not give are written all the same.
    TCheckBox* KeepDamaged = nullptr;
    // What is done with the file systems on an input (a card, a disk image).
    TGroupBox* DiskOptions = nullptr;
    TCheckBox* ReadFileSystems = nullptr;
    TCheckBox* CarveWholeVolumes = nullptr;
    TLabel* VolumesLabel = nullptr;
    TEdit* Volumes = nullptr;

private:
    void createControls();
};
