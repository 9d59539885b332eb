#include "controls/FolderTreeView.h"

#include "controls/Shellitem.h"
#include "platform/classlib/MessageDlg.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TPopupMenu.h"
#include "platform/classlib/TRegexp.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "platform/classlib/core/Sysutils.h"
#include "platform/shell/ShellDirectory.h"
#include "platform/shell/ShellNamespace.h"
#include "platform/shell/ShellPlaces.h"

#include <map>
#include <memory>
#include <vector>

namespace {

using OwnedItems = std::vector<std::unique_ptr<ShellItem>>;

OwnedItems take(std::vector<ShellItem*>* children) {
    const std::unique_ptr<std::vector<ShellItem*>> vector(children);
    OwnedItems owned;
    owned.reserve(vector->size());
    for (ShellItem* child : *vector) {
        owned.emplace_back(child);
    }
    return owned;
}

ShellItem* itemOf(const TTreeNode* node) {
    return static_cast<ShellItem*>(node->Data());
}

TTreeNode* addShellNode(TTreeNodes* nodes, TTreeNode* parent, std::unique_ptr<ShellItem> item) {
    ShellItem* shown = item.get();
    TTreeNode* node = parent != nullptr ? nodes->AddChildObject(parent, shown->getDisplayName(), shown)
                                        : nodes->AddObject(nullptr, shown->getDisplayName(), shown);
    item.release();
    node->SetImageIndex(shown->getIconIndex());
    node->SetSelectedIndex(shown->getOpenIconIndex());
    return node;
}

// How a folder's child is known again when it is read once more.
std::string identity(const ShellItem* item) {
    return item->getPath() + '\n' + item->getDisplayName();
}

bool isRead(const TTreeNode* node) {
    return node->Count() > 0 && node->Item(0)->Data() != nullptr;
}

bool contains(const TTreeNode* ancestor, const TTreeNode* node) {
    for (; node != nullptr; node = node->Parent()) {
        if (node == ancestor) {
            return true;
        }
    }
    return false;
}

// Every failure told here is of a change the user asked for in the folder.
std::string reasonOf(ShellResult result) {
    return ShellNamespace::getErrorMessage(result, os::ErrorUse::writing);
}

void tell(const std::string& message) {
    MessageDlg(message, mtError, TMsgDlgButtons{mbOK}, 0);
}

TMenuItem* addMenuItem(TComponent* owner, TPopupMenu* menu, const char* name, const char* caption) {
    auto* item = new TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    menu->Items()->Add(item);
    return item;
}

void releaseItems(TTreeNode* node) {
    for (int index = 0; index < node->Count(); ++index) {
        releaseItems(node->Item(index));
    }
    ShellItem* item = itemOf(node);
    node->SetData(nullptr);
    delete item;
}

// The cursor and the node list's update mode are put back however the reading ends.
class BusyReading {
public:
    explicit BusyReading(TFolderTreeView* tree) : tree(tree) {
        tree->Items()->BeginUpdate();
        tree->SetCursor(crHourGlass);
    }
    BusyReading(const BusyReading&) = delete;
    BusyReading& operator=(const BusyReading&) = delete;
    ~BusyReading() {
        tree->SetCursor(crDefault);
        tree->Items()->EndUpdate();
    }

private:
    TFolderTreeView* tree;
};

}  // namespace

TFolderTreeView::TFolderTreeView(TComponent* owner) : TTreeView(owner) {
    folderMenu = new TPopupMenu(this);
    folderMenu->SetName("folderMenu");
    newFolderItem = addMenuItem(this, folderMenu, "NewFolder", "新しいフォルダー(&N)");
    refreshItem = addMenuItem(this, folderMenu, "Refresh", "最新の情報に更新(&R)");
    newFolderItem->OnClick = TNotifyEvent(this, &TFolderTreeView::NewFolderClick);
    refreshItem->OnClick = TNotifyEvent(this, &TFolderTreeView::RefreshClick);
    folderMenu->OnPopup = TNotifyEvent(this, &TFolderTreeView::FolderMenuPopup);
    SetPopupMenu(folderMenu);
}

TFolderTreeView::~TFolderTreeView() {
    // Destroyed by its owner, the nodes have passed through Delete already; a bare delete reaches
    // only the tree view's own handler, so the nodes' items are released here.
    for (int index = 0; index < Items()->RootCount(); ++index) {
        releaseItems(Items()->Root(index));
    }
}

std::string TFolderTreeView::GetFileNameFilter() const {
    return FFileNameFilter;
}

void TFolderTreeView::SetFileNameFilter(const std::string& filter) {
    FFileNameFilter = filter;
}

void TFolderTreeView::CreateWnd() {
    TTreeView::CreateWnd();
    ShellItem desktop;
    SetImages(desktop.getSystemImageList());
}

void TFolderTreeView::AddDesktopNode() {
    TTreeNode* node = addShellNode(Items(), nullptr, std::make_unique<ShellItem>());
    Items()->AddChild(node, "");
    node->Expand(false);
}

bool TFolderTreeView::CanExpand(TTreeNode* node) {
    TTreeNode* placeholder = node->getFirstChild();
    if (placeholder == nullptr) {
        // Read already and empty, or never given a placeholder: nothing to show.
        return false;
    }
    if (placeholder->Data() != nullptr) {
        // Read before: read again, as the folder may have changed since.
        const BusyReading busy(this);
        try {
            ReadAgain(node);
        } catch (const EOleError&) {
            return false;
        }
        return node->HasChildren();
    }
    const BusyReading busy(this);
    try {
        InsertChildlen(node);
        placeholder->Delete();
        node->CustomSort(CompareShellNodes, 0);
        return true;
    } catch (const EOleError&) {
        return false;
    }
}

void TFolderTreeView::InsertChildlen(TTreeNode* node) {
    ShellItem* item = itemOf(node);
    if (item == nullptr) {
        return;
    }
    OwnedItems children = take(item->getChildren(HandleAllocated() ? Handle() : nullptr));
    for (std::unique_ptr<ShellItem>& child : children) {
        if (!IsAddableShellItem(child.get())) {
            child.reset();
            continue;
        }
        const bool expandable = IsHaveSubNodes(child.get());
        TTreeNode* childNode = addShellNode(Items(), node, std::move(child));
        if (expandable) {
            Items()->AddChild(childNode, "");
        }
    }
}

bool TFolderTreeView::IsAddableShellItem(ShellItem* item) {
    if (item->isFolder() && (item->isFileSystem() || item->isFileSystemAncestor())) {
        return true;
    }
    if (FFileNameFilter.empty()) {
        return false;
    }
    const std::string path = item->getPath();
    if (path.empty()) {
        return false;
    }
    std::size_t length = 0;
    return TRegexp(FFileNameFilter).find(path, &length) != std::string::npos && length > 0;
}

bool TFolderTreeView::IsHaveSubNodes(ShellItem* item) {
    if (item->hasSubFolder()) {
        return true;
    }
    if (FFileNameFilter.empty()) {
        return false;
    }
    try {
        const OwnedItems children = take(item->getChildren(HandleAllocated() ? Handle() : nullptr));
        for (const std::unique_ptr<ShellItem>& child : children) {
            if (IsAddableShellItem(child.get())) {
                return true;
            }
        }
        return false;
    } catch (const EOleError&) {
        return false;
    }
}

void TFolderTreeView::ReadAgain(TTreeNode* node) {
    ShellItem* item = itemOf(node);
    if (item == nullptr) {
        return;
    }
    OwnedItems children = take(item->getChildren(HandleAllocated() ? Handle() : nullptr));
    std::map<std::string, std::unique_ptr<ShellItem>> found;
    std::vector<std::string> order;
    for (std::unique_ptr<ShellItem>& child : children) {
        if (IsAddableShellItem(child.get())) {
            order.push_back(identity(child.get()));
            found[order.back()] = std::move(child);
        }
    }
    const std::vector<TTreeNode*> shown = [node] {
        std::vector<TTreeNode*> nodes;
        for (int index = 0; index < node->Count(); ++index) {
            nodes.push_back(node->Item(index));
        }
        return nodes;
    }();
    for (TTreeNode* childNode : shown) {
        ShellItem* old = itemOf(childNode);
        auto match = old != nullptr ? found.find(identity(old)) : found.end();
        if (match == found.end() || !match->second) {
            KeepSelectionOutOf(childNode, node);
            childNode->Delete();
            continue;
        }
        // The fresh item answers what the folder holds now.
        ShellItem* fresh = match->second.release();
        childNode->SetData(fresh);
        delete old;
        childNode->SetText(fresh->getDisplayName());
        childNode->SetImageIndex(fresh->getIconIndex());
        childNode->SetSelectedIndex(fresh->getOpenIconIndex());
        if (isRead(childNode)) {
            try {
                ReadAgain(childNode);
            } catch (const EOleError&) {
                // Cannot be read now: shown as it was, tried again on its next expansion.
            }
        } else if (childNode->Count() == 0 && IsHaveSubNodes(fresh)) {
            Items()->AddChild(childNode, "");
        } else if (childNode->Count() > 0 && !IsHaveSubNodes(fresh)) {
            childNode->DeleteChildren();
        }
    }
    for (const std::string& key : order) {
        std::unique_ptr<ShellItem>& child = found[key];
        if (!child) {
            continue;
        }
        const bool expandable = IsHaveSubNodes(child.get());
        TTreeNode* childNode = addShellNode(Items(), node, std::move(child));
        if (expandable) {
            Items()->AddChild(childNode, "");
        }
    }
    node->CustomSort(CompareShellNodes, 0);
}

void TFolderTreeView::KeepSelectionOutOf(TTreeNode* leaving, TTreeNode* parent) {
    if (contains(leaving, Selected())) {
        Select(parent);
    }
}

void TFolderTreeView::Refresh() {
    const BusyReading busy(this);
    for (int index = 0; index < Items()->RootCount(); ++index) {
        TTreeNode* root = Items()->Root(index);
        if (!isRead(root)) {
            continue;
        }
        try {
            ReadAgain(root);
        } catch (const EOleError&) {
            // A root that cannot be read now keeps what it showed.
        }
    }
}

TTreeNode* TFolderTreeView::NewFolder() {
    TTreeNode* parent = Selected();
    ShellItem* item = parent != nullptr ? itemOf(parent) : nullptr;
    const std::string folder = item != nullptr ? item->getPath() : std::string();
    if (folder.empty()) {
        tell("新しいフォルダーを作る場所を、フォルダーの中から選んでください。");
        return nullptr;
    }
    std::string name = "新しいフォルダー";
    std::string path = ShellPlaces::join(folder, name);
    for (int number = 2; ShellDirectory::probeEntry(path) == ShellOk; ++number) {
        name = "新しいフォルダー (" + std::to_string(number) + ")";
        path = ShellPlaces::join(folder, name);
    }
    const ShellResult made = ShellDirectory::createFolder(path);
    if (shellFailed(made)) {
        tell("「" + folder + "」にフォルダー「" + name + "」を作成できません。\n" + reasonOf(made));
        return nullptr;
    }
    if (parent->Count() == 0) {
        Items()->AddChild(parent, "");
    }
    if (parent->Expanded()) {
        const BusyReading busy(this);
        try {
            ReadAgain(parent);
        } catch (const EOleError&) {
        }
    } else {
        parent->Expand(false);
    }
    for (int index = 0; index < parent->Count(); ++index) {
        TTreeNode* childNode = parent->Item(index);
        ShellItem* child = itemOf(childNode);
        if (child != nullptr && child->getPath() == path) {
            Select(childNode);
            childNode->MakeVisible();
            renaming = childNode;
            childNode->EditText();
            return childNode;
        }
    }
    return nullptr;
}

bool TFolderTreeView::SelectHome() {
    const std::string home = ShellPlaces::homePath();
    if (home.empty()) {
        return false;
    }
    for (int rootIndex = 0; rootIndex < Items()->RootCount(); ++rootIndex) {
        TTreeNode* root = Items()->Root(rootIndex);
        for (int index = 0; index < root->Count(); ++index) {
            ShellItem* place = itemOf(root->Item(index));
            if (place != nullptr && place->getPath() == home) {
                Select(root->Item(index));
                return true;
            }
        }
    }
    return false;
}

void TFolderTreeView::KeyDown(WORD& key, TShiftState shift) {
    if (key == VK_F5 && shift.Empty()) {
        Refresh();
        key = 0;
        return;
    }
    TTreeView::KeyDown(key, shift);
}

bool TFolderTreeView::CanEdit(TTreeNode* node) {
    return node == renaming && TTreeView::CanEdit(node);
}

void TFolderTreeView::Edit(TTreeNode* node, std::string& text) {
    TTreeView::Edit(node, text);
    const std::string old = node->Text();
    renaming = nullptr;
    ShellItem* item = itemOf(node);
    ShellItem* above = node->Parent() != nullptr ? itemOf(node->Parent()) : nullptr;
    if (text.empty() || text == old || item == nullptr || above == nullptr) {
        text = old;
        return;
    }
    if (text.find('/') != std::string::npos || text == "." || text == "..") {
        tell("フォルダー名に「/」は使えません。また「.」と「..」は名前にできません。");
        text = old;
        return;
    }
    const std::string to = ShellPlaces::join(above->getPath(), text);
    const ShellResult renamed = ShellDirectory::rename(item->getPath(), to);
    if (shellFailed(renamed)) {
        tell("「" + old + "」の名前を「" + text + "」に変更できません。\n" + reasonOf(renamed));
        text = old;
        return;
    }
    auto* now = new ShellItem(to.c_str(), HandleAllocated() ? Handle() : nullptr);
    node->SetData(now);
    delete item;
    text = now->getDisplayName();
    node->SetImageIndex(now->getIconIndex());
    node->SetSelectedIndex(now->getOpenIconIndex());
    // What lay below lay under the old name.
    node->DeleteChildren();
    if (IsHaveSubNodes(now)) {
        Items()->AddChild(node, "");
    }
    node->Parent()->CustomSort(CompareShellNodes, 0);
    if (Selected() == node) {
        // The selection names another folder now.
        Change(node);
    }
}

void TFolderTreeView::FolderMenuPopup(TObject*) {
    ShellItem* item = Selected() != nullptr ? itemOf(Selected()) : nullptr;
    newFolderItem->SetEnabled(item != nullptr && !item->getPath().empty());
}

void TFolderTreeView::NewFolderClick(TObject*) {
    NewFolder();
}

void TFolderTreeView::RefreshClick(TObject*) {
    Refresh();
}

void TFolderTreeView::Delete(TTreeNode* node) {
    if (node == renaming) {
        renaming = nullptr;
    }
    if (ShellItem* item = itemOf(node)) {
        node->SetData(nullptr);
        delete item;
    }
    TTreeView::Delete(node);
}

int CompareShellNodes(TTreeNode* node1, TTreeNode* node2, std::intptr_t data) {
    const ShellItem* first = itemOf(node1);
    const ShellItem* second = itemOf(node2);
    int order = 0;
    if (first == nullptr || second == nullptr) {
        // Nodes without an item (placeholders) go last.
        order = static_cast<int>(first == nullptr) - static_cast<int>(second == nullptr);
    } else {
        order = static_cast<short>(first->compare(second) & 0xFFFF);
    }
    return data != 0 ? -order : order;
}
