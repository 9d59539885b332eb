#include "app/Tmainform.h"

#include "controls/FolderListView.h"
#include "controls/FolderTreeView.h"
#include "controls/Shellitem.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TMainMenu.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TTreeNode.h"

#include <algorithm>
#include <string>

namespace {

// The size the window opens with at the first start; it grows and shrinks from there.
const int clientWidth = 665;
const int clientHeight = 329;
// Below this the panes would be too narrow to show a name.
const int smallestPaneWidth = 80;
const int smallestPaneHeight = 60;
const int margin = 8;
const int labelTop = 8;
const int paneTop = 26;
const int buttonWidth = 50;
const int buttonHeight = 25;
const int nameColumnWidth = 110;
const int pathLabelHeight = 18;

TMenuItem* addItem(TComponent* owner, TMenuItem* parent, const char* name, const char* caption) {
    auto* item = new TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

}  // namespace

TMainForm::TMainForm(TComponent* owner) : TBaseForm(owner) {
    SetName("MainForm");
    SetCaption("Quellmark Glintfetch");
    SetClientWidth(clientWidth);
    SetClientHeight(clientHeight);
    SetBorderStyle(bsSizeable);
    SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    SetPosition(poDefault);

    targetLabel = new TLabel(this);
    targetLabel->SetName("targetLabel");
    targetLabel->SetParent(this);
    targetLabel->SetCaption("対象ファイル（ドラッグ＆ドロップで追加できます）");

    outputLabel = new TLabel(this);
    outputLabel->SetName("outputLabel");
    outputLabel->SetParent(this);
    outputLabel->SetCaption("出力先ディレクトリ");

    extractButton = new TButton(this);
    extractButton->SetName("extractButton");
    extractButton->SetParent(this);
    extractButton->SetCaption("抽出→");

    outputList = new TFolderTreeView(this);
    outputList->SetName("outputList");
    outputList->SetParent(this);

    outputPathLabel = new TLabel(this);
    outputPathLabel->SetName("outputPathLabel");
    outputPathLabel->SetParent(this);
    outputPathLabel->SetAutoSize(false);
    outputPathLabel->SetEllipsisPosition(epPathEllipsis);

    targetList = new TFolderListView(this);
    targetList->SetName("targetList");
    targetList->SetParent(this);
    targetList->SetViewStyle(vsReport);
    TListColumn* nameColumn = targetList->Columns()->Add();
    nameColumn->SetCaption("name");
    nameColumn->SetWidth(nameColumnWidth);
    TListColumn* pathColumn = targetList->Columns()->Add();
    pathColumn->SetCaption("path");
    targetList->SetShowColumnHeaders(false);
    targetList->SetMultiSelect(true);
    targetList->SetReadOnly(true);
    targetList->SetSortType(stBoth);

    mainMenu = new TMainMenu(this);
    mainMenu->SetName("mainMenu");
    TMenuItem* bar = mainMenu->Items();
    TMenuItem* file = addItem(this, bar, "File", "ファイル(&F)");
    addItem(this, file, "Insert", "追加(&I)...");
    addItem(this, file, "AddDevice", "デバイスを追加(&V)...");
    addItem(this, file, "Delete", "削除(&D)");
    addItem(this, file, "N8", "-");
    addItem(this, file, "Exit", "終了(&X)");
    Option = addItem(this, bar, "Option", "設定(&O)");
    addItem(this, Option, "FileSpec", "ファイル設定(&F)...");
    DataSpec = addItem(this, Option, "DataSpec", "プラグイン設定(&P)...");
    Help = addItem(this, bar, "Help", "ヘルプ(&H)");
    Version = addItem(this, Help, "Version", "バージョン情報(&A)");
    SetMenu(mainMenu);

    popupMenu = new TPopupMenu(this);
    popupMenu->SetName("popupMenu");
    addItem(this, popupMenu->Items(), "PopInsert", "追加(&I)...");
    addItem(this, popupMenu->Items(), "PopDelete", "削除(&D)");
    targetList->SetPopupMenu(popupMenu);

    targetList->SetTabOrder(0);
    extractButton->SetTabOrder(1);
    outputList->SetTabOrder(2);

    LayOut();
    OnResize = TNotifyEvent(this, &TMainForm::FormResize);
    OnCreate = TNotifyEvent(this, &TMainForm::FormCreate);
    targetList->OnFilesDropped = TNotifyEvent(this, &TMainForm::FilesDropped);
    outputList->OnChange = TTVChangedEvent(this, &TMainForm::OutputFolderChanged);
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(TObject*) { outputList->AddDesktopNode(); }

void TMainForm::FormResize(TObject*) { LayOut(); }

void TMainForm::LayOut() {
    // The list and the tree share the width beside the button and take all the height.
    const int paneWidth = std::max(smallestPaneWidth, (ClientWidth() - 4 * margin - buttonWidth) / 2);
    const int paneHeight = std::max(smallestPaneHeight, ClientHeight() - paneTop - margin);
    const int listLeft = margin;
    const int buttonLeft = listLeft + paneWidth + margin;
    const int treeLeft = buttonLeft + buttonWidth + margin;
    targetLabel->SetBounds(listLeft, labelTop, paneWidth, paneTop - labelTop - 2);
    outputLabel->SetBounds(treeLeft, labelTop, paneWidth, paneTop - labelTop - 2);
    extractButton->SetBounds(buttonLeft, paneTop + (paneHeight - buttonHeight) / 2, buttonWidth,
                             buttonHeight);
    targetList->SetBounds(listLeft, paneTop, paneWidth, paneHeight);
    // The chosen folder's path stands under the tree, as wide as the tree.
    outputList->SetBounds(treeLeft, paneTop, paneWidth, paneHeight - pathLabelHeight);
    outputPathLabel->SetBounds(treeLeft, paneTop + paneHeight - pathLabelHeight + 2, paneWidth,
                               pathLabelHeight - 2);
    // The path column takes what the name leaves, so that long paths show as far as they can.
    targetList->Columns()->Items(1)->SetWidth(std::max(nameColumnWidth, paneWidth - 4 - nameColumnWidth));
}

void TMainForm::FilesDropped(TObject*) {
    targetLabel->SetCaption("対象ファイル（" + std::to_string(targetList->DroppedCount()) +
                            " 件追加しました。ドラッグ＆ドロップで追加できます）");
}

void TMainForm::OutputFolderChanged(TObject*, TTreeNode* node) {
    const auto* item = node != nullptr ? static_cast<const ShellItem*>(node->Data()) : nullptr;
    outputPathLabel->SetCaption(item != nullptr ? item->getPath() : std::string());
}
