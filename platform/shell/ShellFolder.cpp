#include "platform/shell/ShellFolder.h"

#include "platform/shell/ShellDirectory.h"
#include "platform/shell/ShellEnumerator.h"
#include "platform/shell/ShellPlaces.h"

#include <algorithm>
#include <cerrno>
#include <utility>

ShellFolder::ShellFolder(std::vector<ShellItemId> absolute) : absolute(std::move(absolute)) {}

ShellFolder::~ShellFolder() = default;

ShellResult ShellFolder::parseDisplayName(const std::string& displayName, ItemIdList** list) const {
    *list = nullptr;
    const bool desktop = absolute.empty();
    const bool absoluteName = !displayName.empty() && displayName[0] == '/';
    if (displayName.empty() || absoluteName != desktop) {
        return -EINVAL;
    }
    std::vector<ShellItemId> items;
    std::string path;
    if (desktop) {
        items.push_back(ShellItemId{ShellItemId::Root, true, std::string()});
        path = "/";
    } else if (!ShellPlaces::resolve(absolute, path)) {
        return -ENOENT;
    }
    for (std::size_t start = 0; start <= displayName.size();) {
        std::size_t end = displayName.find('/', start);
        if (end == std::string::npos) {
            end = displayName.size();
        }
        const std::string part = displayName.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            return -EINVAL;
        }
        path = ShellPlaces::join(path, part);
        const ShellResult found = ShellDirectory::probeEntry(path);
        if (shellFailed(found)) {
            return found;
        }
        items.push_back(ShellItemId{ShellItemId::Entry, ShellDirectory::isFolder(path), part});
    }
    if (items.empty()) {
        return -EINVAL;
    }
    *list = ShellItemId::allocate(ShellItemId::encode(items));
    return *list != nullptr ? ShellOk : -ENOMEM;
}

ShellResult ShellFolder::bindToObject(const ItemIdList* relative, std::unique_ptr<ShellFolder>& folder) const {
    folder.reset();
    std::vector<ShellItemId> items;
    if (!ShellItemId::decode(relative, items)) {
        return -EINVAL;
    }
    // Below the desktop a list starts with a place; below any other folder it holds entries only.
    if (!items.empty() && (items.front().kind == ShellItemId::Entry) == absolute.empty()) {
        return -EINVAL;
    }
    items.insert(items.begin(), absolute.begin(), absolute.end());
    if (!items.empty()) {
        std::string path;
        if (!ShellPlaces::resolve(items, path)) {
            return -ENOENT;
        }
        const ShellResult probe = ShellDirectory::probeFolder(path);
        if (shellFailed(probe)) {
            return probe;
        }
    }
    folder.reset(new ShellFolder(std::move(items)));
    return ShellOk;
}

ShellResult ShellFolder::enumObjects(unsigned flags, std::unique_ptr<ShellEnumerator>& enumerator) const {
    enumerator.reset();
    std::vector<ShellItemId> children;
    if (absolute.empty()) {
        if ((flags & ShellEnumFolders) != 0) {
            if (ShellDirectory::isFolder(ShellPlaces::homePath())) {
                children.push_back(ShellItemId{ShellItemId::Home, true, std::string()});
            }
            if (ShellPlaces::hasDesktop()) {
                children.push_back(ShellItemId{ShellItemId::Desktop, true, std::string()});
            }
            children.push_back(ShellItemId{ShellItemId::Root, true, std::string()});
        }
    } else {
        std::string path;
        if (!ShellPlaces::resolve(absolute, path)) {
            return -ENOENT;
        }
        const ShellResult read = ShellDirectory::read(path, flags, children);
        if (shellFailed(read)) {
            return read;
        }
    }
    std::sort(children.begin(), children.end(), [](const ShellItemId& first, const ShellItemId& second) {
        return ShellItemId::compare(first, second) < 0;
    });
    std::vector<std::string> encoded;
    encoded.reserve(children.size());
    for (const ShellItemId& child : children) {
        encoded.push_back(ShellItemId::encode({child}));
    }
    enumerator.reset(new ShellEnumerator(std::move(encoded)));
    return ShellOk;
}

int ShellFolder::compareIds(const ItemIdList* first, const ItemIdList* second) const {
    std::vector<ShellItemId> firstItems;
    std::vector<ShellItemId> secondItems;
    const bool firstOurs = ShellItemId::decode(first, firstItems);
    const bool secondOurs = ShellItemId::decode(second, secondItems);
    if (!firstOurs || !secondOurs) {
        return firstOurs == secondOurs ? 0 : (firstOurs ? -1 : 1);
    }
    return ShellItemId::compare(firstItems, secondItems);
}
