#include "controls/Shellitem.h"

#include "controls/Itemidlistex.h"
#include "platform/classlib/core/Sysutils.h"
#include "platform/shell/ShellEnumerator.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellImageList.h"
#include "platform/shell/ShellNamespace.h"

#include <cerrno>

namespace {

void check(ShellResult result) {
    if (shellFailed(result)) {
        throw EOleSysError(ShellNamespace::getErrorMessage(result), result);
    }
}

std::unique_ptr<ShellFolder> desktopFolder() {
    std::unique_ptr<ShellFolder> desktop;
    check(ShellNamespace::getDesktopFolder(desktop));
    return desktop;
}

// Gives a list back however the scope is left.
class OwnedList {
public:
    explicit OwnedList(ItemIdList* list) : list(list) {}
    OwnedList(const OwnedList&) = delete;
    OwnedList& operator=(const OwnedList&) = delete;
    ~OwnedList() { freeItemIDList(list); }

private:
    ItemIdList* list;
};

}  // namespace

ShellItem::ShellItem() : comInitialized(ShellNamespace::initialize()) {
    check(ShellNamespace::getDesktopLocation(&itemIdList));
    readFileInfo();
}

ShellItem::ShellItem(ItemIdList* absolute) : comInitialized(ShellNamespace::initialize()), itemIdList(absolute) {
    readFileInfo();
}

ShellItem::ShellItem(const char* path, HWND) : comInitialized(ShellNamespace::initialize()) {
    const std::unique_ptr<ShellFolder> desktop = desktopFolder();
    if (shellSucceeded(desktop->parseDisplayName(path != nullptr ? path : "", &itemIdList))) {
        readFileInfo();
        return;
    }
    itemIdList = nullptr;
    fileInfo.displayName = path != nullptr ? path : "";
    fileInfo.iconIndex = openIconIndex = ShellIconFile;
    fileInfo.attributes = 0;
}

ShellItem::~ShellItem() {
    if (itemIdList != nullptr) {
        freeItemIDList(itemIdList);
    }
    if (comInitialized) {
        ShellNamespace::uninitialize();
    }
}

void ShellItem::readFileInfo() {
    ShellFileInfo open;
    if (ShellNamespace::getFileInfo(itemIdList, ShellInfoIconIndex | ShellInfoOpenIcon, open)) {
        openIconIndex = open.iconIndex;
    }
    ShellNamespace::getFileInfo(itemIdList, ShellInfoIconIndex | ShellInfoDisplayName | ShellInfoAttributes,
                                fileInfo);
}

bool ShellItem::isFolder() const {
    return (fileInfo.attributes & ShellAttributeFolder) != 0;
}

bool ShellItem::hasSubFolder() const {
    return (fileInfo.attributes & ShellAttributeHasSubFolder) != 0;
}

bool ShellItem::isFileSystem() const {
    return (fileInfo.attributes & ShellAttributeFileSystem) != 0;
}

bool ShellItem::isFileSystemAncestor() const {
    return (fileInfo.attributes & ShellAttributeFileSystemAncestor) != 0;
}

TImageList* ShellItem::getSystemImageList() const {
    return ShellImageList::get();
}

int ShellItem::getIconIndex() const {
    return fileInfo.iconIndex;
}

int ShellItem::getOpenIconIndex() const {
    return openIconIndex;
}

const char* ShellItem::getDisplayName() const {
    return fileInfo.displayName.c_str();
}

ItemIdList* ShellItem::getItemIDList() const {
    return itemIdList;
}

std::unique_ptr<ShellFolder> ShellItem::getShellFolder() const {
    if (itemIdList == nullptr) {
        check(-ENOENT);
    }
    std::unique_ptr<ShellFolder> desktop = desktopFolder();
    if (getItemIDListSize(itemIdList) < 1) {
        return desktop;
    }
    std::unique_ptr<ShellFolder> folder;
    check(desktop->bindToObject(itemIdList, folder));
    return folder;
}

ShellItem* ShellItem::createChild(const ItemIdList* relative) const {
    if (itemIdList == nullptr) {
        check(-ENOENT);
    }
    return new ShellItem(concatItemIDList(itemIdList, relative));
}

std::vector<ShellItem*>* ShellItem::getChildren(HWND) const {
    if (!isFolder()) {
        throw EOleError("フォルダではありません。");
    }
    const std::unique_ptr<ShellFolder> folder = getShellFolder();
    std::unique_ptr<ShellEnumerator> enumerator;
    check(folder->enumObjects(ShellEnumFolders | ShellEnumNonFolders, enumerator));
    std::vector<std::unique_ptr<ShellItem>> children;
    for (;;) {
        ItemIdList* relative = nullptr;
        const ShellResult result = enumerator->next(&relative);
        if (result != ShellOk) {
            check(result);
            break;
        }
        const OwnedList released(relative);
        children.emplace_back(createChild(relative));
    }
    auto result = std::make_unique<std::vector<ShellItem*>>();
    result->reserve(children.size());
    for (std::unique_ptr<ShellItem>& child : children) {
        result->push_back(child.release());
    }
    return result.release();
}

int ShellItem::compare(const ShellItem* other) const {
    return desktopFolder()->compareIds(itemIdList, other != nullptr ? other->itemIdList : nullptr);
}

std::string ShellItem::getPath() const {
    std::string path;
    ShellNamespace::getPathFromIdList(itemIdList, path);
    return path;
}
