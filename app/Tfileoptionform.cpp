#include "app/Tfileoptionform.h"

#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TGroupBox.h"
#include "platform/classlib/TLabel.h"

namespace {

// Room for every size the settings write (up to 15 significant digits, a separator and an
// exponent), so that a stored size is shown whole and a small one such as 0.00001 can be typed:
// a shorter field would cut either short without a word.
const int sizeTextLength = 24;

}  // namespace

TFileOptionForm::TFileOptionForm(TComponent* owner)
    : TBaseForm(owner)
{
    createControls();
}

TFileOptionForm::TFileOptionForm(HWND parentWindow)
    : TBaseForm(parentWindow)
{
    createControls();
}

TFileOptionForm::~TFileOptionForm() = default;

void TFileOptionForm::createControls()
{
    SetName("FileOptionForm");
    SetCaption("ファイル設定");
    // The size first: a dialog border fixes the client area at the size it has then.
    SetClientSize(322, 264);
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    Font()->SetName("ＭＳ Ｐゴシック");
    Font()->SetHeight(-12);
    Font()->SetCharset(SHIFTJIS_CHARSET);

    FolderMethods = new TGroupBox(this);
    FolderMethods->SetName("FolderMethods");
    FolderMethods->SetParent(this);
    FolderMethods->SetBounds(8, 8, 305, 49);
    FolderMethods->SetCaption("ディレクトリ作成");

    PerFile = new TCheckBox(this);
    PerFile->SetName("PerFile");
    PerFile->SetParent(FolderMethods);
    PerFile->SetBounds(16, 20, 121, 17);
    PerFile->SetCaption("ファイル毎");

    PerFormat = new TCheckBox(this);
    PerFormat->SetName("PerFormat");
    PerFormat->SetParent(FolderMethods);
    PerFormat->SetBounds(152, 20, 137, 17);
    PerFormat->SetCaption("データ種類毎");

    ExtFileSize = new TGroupBox(this);
    ExtFileSize->SetName("ExtFileSize");
    ExtFileSize->SetParent(this);
    ExtFileSize->SetBounds(8, 64, 305, 57);
    ExtFileSize->SetCaption("抽出するファイルサイズ");

    ExtSizeFrom = new TEdit(this);
    ExtSizeFrom->SetName("ExtSizeFrom");
    ExtSizeFrom->SetParent(ExtFileSize);
    ExtSizeFrom->SetBounds(16, 24, 81, 20);
    ExtSizeFrom->SetMaxLength(sizeTextLength);
    ExtSizeFrom->SetImeMode(imDisable);
    ExtSizeFrom->SetText("");

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(ExtFileSize);
    Label1->SetBounds(104, 28, 41, 12);
    Label1->SetCaption("ＭＢ　～");

    ExtSizeTo = new TEdit(this);
    ExtSizeTo->SetName("ExtSizeTo");
    ExtSizeTo->SetParent(ExtFileSize);
    ExtSizeTo->SetBounds(152, 24, 81, 20);
    ExtSizeTo->SetMaxLength(sizeTextLength);
    ExtSizeTo->SetImeMode(imDisable);
    ExtSizeTo->SetText("");

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(ExtFileSize);
    Label2->SetBounds(240, 28, 17, 12);
    Label2->SetCaption("ＭＢ");

    DiskOptions = new TGroupBox(this);
    DiskOptions->SetName("DiskOptions");
    DiskOptions->SetParent(this);
    DiskOptions->SetBounds(8, 128, 305, 94);
    DiskOptions->SetCaption("ディスクとカード");

    ReadFileSystems = new TCheckBox(this);
    ReadFileSystems->SetName("ReadFileSystems");
    ReadFileSystems->SetParent(DiskOptions);
    ReadFileSystems->SetBounds(16, 20, 281, 17);
    ReadFileSystems->SetCaption("ファイルシステムから元の名前で復元する");

    CarveWholeVolumes = new TCheckBox(this);
    CarveWholeVolumes->SetName("CarveWholeVolumes");
    CarveWholeVolumes->SetParent(DiskOptions);
    CarveWholeVolumes->SetBounds(16, 42, 281, 17);
    CarveWholeVolumes->SetCaption("ボリューム全体を探索する（既存のファイルも）");

    VolumesLabel = new TLabel(this);
    VolumesLabel->SetName("VolumesLabel");
    VolumesLabel->SetParent(DiskOptions);
    VolumesLabel->SetBounds(16, 68, 195, 12);
    VolumesLabel->SetCaption("対象ボリューム（空欄はすべて）");

    Volumes = new TEdit(this);
    Volumes->SetName("Volumes");
    Volumes->SetParent(DiskOptions);
    Volumes->SetBounds(216, 64, 73, 20);
    Volumes->SetMaxLength(40);
    Volumes->SetImeMode(imDisable);
    Volumes->SetText("");

    KeepDamaged = new TCheckBox(this);
    KeepDamaged->SetName("KeepDamaged");
    KeepDamaged->SetParent(this);
    KeepDamaged->SetBounds(16, 234, 129, 17);
    KeepDamaged->SetCaption("破損ファイルも保存");

    OKBtn = new TButton(this);
    OKBtn->SetName("OKBtn");
    OKBtn->SetParent(this);
    OKBtn->SetBounds(152, 230, 75, 25);
    OKBtn->SetCaption("OK");
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);

    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(238, 230, 75, 25);
    CancelBtn->SetCaption("キャンセル");
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
}
