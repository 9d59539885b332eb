#include "app/Textractform.h"

#include "platform/classlib/TButton.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TMemo.h"
#include "platform/classlib/TProgressBar.h"

TExtractForm::TExtractForm(TComponent* owner)
    : TBaseForm(owner)
{
    createControls();
}

TExtractForm::TExtractForm(HWND parentWindow)
    : TBaseForm(parentWindow)
{
    createControls();
}

TExtractForm::~TExtractForm() = default;

void TExtractForm::createControls()
{
    SetName("ExtractForm");
    SetCaption("抽出状況");
    // The size first: a dialog border fixes the client area at the size it has then.
    SetClientSize(457, 385);
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    Font()->SetName("ＭＳ Ｐゴシック");
    Font()->SetHeight(-12);
    Font()->SetCharset(SHIFTJIS_CHARSET);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(8, 8, 108, 12);
    Label1->SetCaption("抽出中ファイル進捗");

    FileProgress = new TProgressBar(this);
    FileProgress->SetName("FileProgress");
    FileProgress->SetParent(this);
    FileProgress->SetBounds(8, 24, 441, 17);
    FileProgress->SetMin(0);
    FileProgress->SetMax(100);
    FileProgress->SetSmooth(true);

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(this);
    Label2->SetBounds(8, 48, 48, 12);
    Label2->SetCaption("全体進捗");

    TotalProgress = new TProgressBar(this);
    TotalProgress->SetName("TotalProgress");
    TotalProgress->SetParent(this);
    TotalProgress->SetBounds(8, 64, 441, 17);
    TotalProgress->SetMin(0);
    TotalProgress->SetMax(100);
    TotalProgress->SetSmooth(true);

    ProgressText = new TLabel(this);
    ProgressText->SetName("ProgressText");
    ProgressText->SetParent(this);
    ProgressText->SetBounds(8, 88, 441, 12);
    ProgressText->SetCaption("");

    FindsText = new TLabel(this);
    FindsText->SetName("FindsText");
    FindsText->SetParent(this);
    FindsText->SetBounds(8, 106, 441, 12);
    FindsText->SetCaption("");

    Label3 = new TLabel(this);
    Label3->SetName("Label3");
    Label3->SetParent(this);
    Label3->SetBounds(8, 126, 24, 12);
    Label3->SetCaption("ログ");

    Logger = new TMemo(this);
    Logger->SetName("Logger");
    Logger->SetParent(this);
    Logger->SetBounds(8, 142, 441, 201);
    Logger->SetReadOnly(true);
    Logger->SetScrollBars(ssBoth);
    Logger->SetWantReturns(false);
    Logger->SetWordWrap(false);
    Logger->SetText("");

    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(191, 352, 75, 25);
    CancelBtn->SetCaption("キャンセル");

    OpenFolderBtn = new TButton(this);
    OpenFolderBtn->SetName("OpenFolderBtn");
    OpenFolderBtn->SetParent(this);
    OpenFolderBtn->SetBounds(299, 352, 150, 25);
    OpenFolderBtn->SetCaption("出力フォルダーを開く");
    OpenFolderBtn->SetEnabled(false);
}
