#include "controls/FolderTreeView.h"

#include "controls/Shellitem.h"
#include "platform/classlib/TRegexp.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "platform/classlib/core/Sysutils.h"

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

TFolderTreeView::TFolderTreeView(TComponent* owner) : TTreeView(owner) {}

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
        return true;
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

void TFolderTreeView::Delete(TTreeNode* node) {
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
