#include "platform/shell/ShellNamespace.h"

#include "platform/shell/ShellAllocator.h"
#include "platform/shell/ShellDirectory.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/ShellItemId.h"
#include "platform/shell/ShellPlaces.h"

#include <cerrno>
#include <vector>

namespace {

struct Description {
    std::string displayName;
    ShellIcon icon = ShellIconFile;
    ShellIcon openIcon = ShellIconFile;
    unsigned attributes = 0;
};

unsigned folderAttributes(const std::string& path) {
    unsigned attributes = ShellAttributeFolder | ShellAttributeFileSystem | ShellAttributeFileSystemAncestor;
    if (ShellDirectory::hasVisibleSubFolder(path)) {
        attributes |= ShellAttributeHasSubFolder;
    }
    return attributes;
}

// Attributes cost a read of the folder, so they are found only when asked for.
Description describe(const std::vector<ShellItemId>& items, bool withAttributes) {
    Description description;
    if (items.empty()) {
        description.displayName = "コンピュータ";
        description.icon = description.openIcon = ShellIconDesktop;
        description.attributes =
            ShellAttributeFolder | ShellAttributeHasSubFolder | ShellAttributeFileSystemAncestor;
        return description;
    }
    std::string path;
    const bool resolved = ShellPlaces::resolve(items, path);
    const ShellItemId& last = items.back();
    switch (last.kind) {
    case ShellItemId::Home:
        description.displayName = "ホーム";
        description.icon = description.openIcon = ShellIconHome;
        break;
    case ShellItemId::Desktop:
        description.displayName = "デスクトップ";
        description.icon = description.openIcon = ShellIconDesktop;
        break;
    case ShellItemId::Root:
        description.displayName = "ファイルシステム";
        description.icon = description.openIcon = ShellIconDrive;
        break;
    case ShellItemId::Entry: {
        description.displayName = last.name;
        const bool folder = resolved ? ShellDirectory::isFolder(path) : last.folder;
        description.icon = folder ? ShellIconFolder : ShellIconFile;
        description.openIcon = folder ? ShellIconOpenFolder : ShellIconFile;
        break;
    }
    }
    if (withAttributes && resolved) {
        const ShellResult probe = ShellDirectory::probeFolder(path);
        if (probe == ShellOk) {
            description.attributes = folderAttributes(path);
        } else if (probe == -ENOTDIR || shellSucceeded(ShellDirectory::probeEntry(path))) {
            description.attributes = ShellAttributeFileSystem;
        }
    }
    return description;
}

}  // namespace

bool ShellNamespace::initialize() {
    return true;
}

void ShellNamespace::uninitialize() {}

ShellAllocator& ShellNamespace::getAllocator() {
    static ShellAllocator allocator;
    return allocator;
}

ShellResult ShellNamespace::getDesktopLocation(ItemIdList** list) {
    *list = ShellItemId::allocate(std::string());
    return *list != nullptr ? ShellOk : -ENOMEM;
}

ShellResult ShellNamespace::getDesktopFolder(std::unique_ptr<ShellFolder>& folder) {
    folder.reset(new ShellFolder(std::vector<ShellItemId>()));
    return ShellOk;
}

bool ShellNamespace::getFileInfo(const ItemIdList* absolute, unsigned flags, ShellFileInfo& info) {
    std::vector<ShellItemId> items;
    if (!ShellItemId::decode(absolute, items)) {
        return false;
    }
    const Description description = describe(items, (flags & ShellInfoAttributes) != 0);
    if ((flags & ShellInfoIconIndex) != 0) {
        info.iconIndex = (flags & ShellInfoOpenIcon) != 0 ? description.openIcon : description.icon;
    }
    if ((flags & ShellInfoDisplayName) != 0) {
        info.displayName = description.displayName;
    }
    if ((flags & ShellInfoAttributes) != 0) {
        info.attributes = description.attributes;
    }
    return true;
}

bool ShellNamespace::getPathFromIdList(const ItemIdList* absolute, std::string& path) {
    path.clear();
    std::vector<ShellItemId> items;
    return ShellItemId::decode(absolute, items) && ShellPlaces::resolve(items, path);
}

std::string ShellNamespace::getErrorMessage(ShellResult result, os::ErrorUse use) {
    return os::errorSentence(-result, use);
}
