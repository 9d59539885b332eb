#include "app/Tpluginoptionform.h"

#include "platform/classlib/TButton.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TListView.h"

TPluginOptionForm::TPluginOptionForm(TComponent* owner)
    : TBaseForm(owner)
{
    createControls();
}

TPluginOptionForm::TPluginOptionForm(HWND parentWindow)
    : TBaseForm(parentWindow)
{
    createControls();
}

TPluginOptionForm::~TPluginOptionForm() = default;

void TPluginOptionForm::createControls()
{
    SetName("PluginOptionForm");
    SetCaption("プラグイン設定");
    // The size first: a dialog border fixes the client area at the size it has then.
    SetClientSize(497, 377);
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    Font()->SetName("ＭＳ Ｐゴシック");
    Font()->SetHeight(-12);
    Font()->SetCharset(SHIFTJIS_CHARSET);

    OKBtn = new TButton(this);
    OKBtn->SetName("OKBtn");
    OKBtn->SetParent(this);
    OKBtn->SetBounds(328, 344, 75, 25);
    OKBtn->SetCaption("OK");
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);
    OKBtn->SetTabOrder(0);

    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(414, 344, 75, 25);
    CancelBtn->SetCaption("キャンセル");
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
    CancelBtn->SetTabOrder(1);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(8, 8, 156, 12);
    Label1->SetCaption("インストール済みプラグイン");

    SwitchBtn = new TButton(this);
    SwitchBtn->SetName("SwitchBtn");
    SwitchBtn->SetParent(this);
    SwitchBtn->SetBounds(8, 344, 89, 25);
    SwitchBtn->SetCaption("有効にする");
    SwitchBtn->SetTabOrder(3);

    RefreshBtn = new TButton(this);
    RefreshBtn->SetName("RefreshBtn");
    RefreshBtn->SetParent(this);
    RefreshBtn->SetBounds(104, 344, 113, 25);
    RefreshBtn->SetCaption("最新の状態にする");
    RefreshBtn->SetTabOrder(4);

    PropertyBtn = new TButton(this);
    PropertyBtn->SetName("PropertyBtn");
    PropertyBtn->SetParent(this);
    PropertyBtn->SetBounds(224, 344, 75, 25);
    PropertyBtn->SetCaption("プロパティ");
    PropertyBtn->SetTabOrder(5);

    PluginsList = new TListView(this);
    PluginsList->SetName("PluginsList");
    PluginsList->SetParent(this);
    PluginsList->SetBounds(8, 24, 481, 313);
    PluginsList->SetViewStyle(vsReport);
    PluginsList->SetCheckboxes(true);
    PluginsList->SetRowSelect(true);
    PluginsList->SetReadOnly(true);
    PluginsList->SetMultiSelect(false);
    PluginsList->SetTabOrder(2);
    struct ColumnSpec {
        const char* caption;
        int width;
    };
    const ColumnSpec columns[] = {{"プラグイン", 250}, {"バージョン", 70}, {"ベンダ", 141}};
    for (const ColumnSpec& spec : columns) {
        TListColumn* column = PluginsList->Columns()->Add();
        column->SetCaption(spec.caption);
        column->SetWidth(spec.width);
    }
}
