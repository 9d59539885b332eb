#include "controls/FolderListView.h"

#include "controls/Shellitem.h"
#include "framework/Exception.h"
#include "framework/IFileEnumerateListener.h"
#include "framework/IFileEnumerator.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TStrings.h"

#include <memory>
#include <string>
#include <vector>

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
    // The whole path beside the name, so that two inputs of one name can be told apart.
    row->SubItems()->Add(item->getPath().empty() ? path : item->getPath());
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

namespace {

// The regular files below a folder, at any depth, in the walk's path order; hidden ones (a name
// that starts with ".") and everything in hidden folders left out.
class VisibleFiles : public IFileEnumerateListener {
public:
    explicit VisibleFiles(IFileEnumerator* walk) : walk(walk) {}

    void onEnumerate(IResource* entry) override {
        const std::string name = entry->getName();
        const bool hidden = !name.empty() && name[0] == '.';
        if (entry->isDirectory()) {
            walk->setRecursive(!hidden);
        } else if (!hidden && entry->getKind() == ResourceKind::file) {
            paths.push_back(entry->getPath());
        }
    }

    std::vector<std::string> paths;

private:
    IFileEnumerator* walk;
};

}  // namespace

void TFolderListView::WMDropFiles(TWMDropFiles& message) {
    const int before = Items()->Count();
    for (const std::string& path : message.Files) {
        const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
        IResource* entry = factory->createResource();
        entry->setPath(path);
        if (!entry->isDirectory()) {
            AddItem(path);
            continue;
        }
        // A folder is no input: what it holds is.
        IFileEnumerator* walk = factory->createFileEnumerator();
        VisibleFiles files(walk);
        walk->setPath(entry->getPath());
        walk->setRecursive(true);
        walk->addListener(&files);
        try {
            walk->enumerate();
        } catch (const Exception&) {
            // Gone since it was dropped: nothing to add.
        }
        for (const std::string& file : files.paths) {
            AddItem(file);
        }
    }
    droppedCount = Items()->Count() - before;
    if (OnFilesDropped) {
        OnFilesDropped(this);
    }
}

void TFolderListView::ShowSelectedProperties() {}
