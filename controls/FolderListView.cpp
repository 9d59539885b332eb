#include "controls/FolderListView.h"

#include "controls/Shellitem.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"

#include <memory>

TFolderListView::TFolderListView(TComponent* owner) : TListView(owner) {}

TFolderListView::~TFolderListView() {
    // Destroyed by its owner, the rows have passed through Delete already; a bare delete reaches
    // only the list view's own handler, so the rows' items are released here.
    for (auto& entry : FItemsByPath) {
        auto* item = static_cast<ShellItem*>(entry.second->Data());
        entry.second->SetData(nullptr);
        delete item;
    }
    FItemsByPath.clear();
}

void TFolderListView::CreateParams(TCreateParams& params) {
    TListView::CreateParams(params);
    params.ExStyle |= WS_EX_ACCEPTFILES;
}

void TFolderListView::CreateWnd() {
    TListView::CreateWnd();
    ShellItem desktop;
    SetSmallImages(desktop.getSystemImageList());
}

void TFolderListView::AddItem(const std::string& path) {
    if (FItemsByPath.count(path) != 0) {
        return;
    }
    auto item = std::make_unique<ShellItem>(path.c_str(), HandleAllocated() ? Handle() : nullptr);
    TListItem* row = Items()->Add();
    FItemsByPath.emplace(path, row);
    row->SetCaption(item->getDisplayName());
    row->SetImageIndex(item->getIconIndex());
    row->SetData(item.release());
}

void TFolderListView::AddItem(const std::string& caption, TObject* object) {
    TListItem* row = Items()->Add();
    row->SetCaption(caption);
    row->SetData(object);
}

void TFolderListView::Clear() {
    TListView::Clear();
    FItemsByPath.clear();
}

std::map<std::string, TListItem*>::iterator TFolderListView::findEntry(TListItem* item) {
    // Looked up by row, not by the item's path: a row is filed under the text it was added with,
    // which differs from its path for a path the namespace could not name, and a row of the
    // caption-and-object form holds no shell item to ask.
    for (auto entry = FItemsByPath.begin(); entry != FItemsByPath.end(); ++entry) {
        if (entry->second == item) {
            return entry;
        }
    }
    return FItemsByPath.end();
}

void TFolderListView::Delete(TListItem* item) {
    // Only rows made from a path hold a shell item; they are exactly the rows in the map.
    const auto entry = item != nullptr ? findEntry(item) : FItemsByPath.end();
    if (entry != FItemsByPath.end()) {
        auto* shellItem = static_cast<ShellItem*>(item->Data());
        item->SetData(nullptr);
        FItemsByPath.erase(entry);
        delete shellItem;
    }
    TListView::Delete(item);
}

void TFolderListView::WMDropFiles(TWMDropFiles& message) {
    for (const std::string& path : message.Files) {
        AddItem(path);
    }
}

void TFolderListView::ShowSelectedProperties() {}
