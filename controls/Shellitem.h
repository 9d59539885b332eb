#pragma once

#include "platform/classlib/Types.h"
#include "platform/shell/ShellTypes.h"

#include <memory>
#include <string>
#include <vector>

class ShellFolder;
class TImageList;

// One item of the shell namespace (the desktop, a place, a folder or a file), named by its
// absolute item-id list. It reads what it shows (display name, icons, attributes) once, when it
// is made, and answers from that afterwards; only the children, the folder, the order and the path
// are asked of the namespace again.
//
// Items are made on the heap and deleted by their owner: a row of the folder list, a node of the
// folder tree, or whoever received them from getChildren. An item made from a path the namespace
// cannot name (it does not exist, or is not absolute) holds no list: it shows the path as its
// name, is neither a folder nor part of the file system, and has no path.
class ShellItem {
public:
    // The desktop.
    ShellItem();
    // Takes over an absolute list from the shell allocator.
    explicit ShellItem(ItemIdList* absolute);
    // The item at an absolute path. The namespace never asks the user anything, so the owner
    // window is not used.
    ShellItem(const char* path, HWND owner);
    ShellItem(const ShellItem&) = delete;
    ShellItem& operator=(const ShellItem&) = delete;
    ~ShellItem();

    bool isFolder() const;
    bool hasSubFolder() const;
    bool isFileSystem() const;
    bool isFileSystemAncestor() const;
    // The image list that the icon indices point into; it belongs to the namespace.
    TImageList* getSystemImageList() const;
    int getIconIndex() const;
    int getOpenIconIndex() const;
    const char* getDisplayName() const;
    // Still the item's own; nullptr for an item made from a path that could not be named.
    ItemIdList* getItemIDList() const;

    // The item as a folder; raises EOleSysError when it is none (any more).
    std::unique_ptr<ShellFolder> getShellFolder() const;
    // The item below this one at the relative list, which stays the caller's.
    ShellItem* createChild(const ItemIdList* relative) const;
    // Every child, folders and files, hidden ones left out, in the namespace's order. The caller
    // owns the vector and the items. Raises EOleError "フォルダではありません。" for an item that is
    // not a folder, EOleSysError when the folder cannot be read.
    std::vector<ShellItem*>* getChildren(HWND owner) const;
    // Negative when this item comes first, 0 for the same item, positive when the other does; the
    // value fits a signed 16-bit number.
    int compare(const ShellItem* other) const;
    // "" for an item off the file system.
    std::string getPath() const;

private:
    void readFileInfo();

    bool comInitialized;
    ItemIdList* itemIdList = nullptr;
    ShellFileInfo fileInfo;
    int openIconIndex = ShellIconFile;
};
