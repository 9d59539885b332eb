#pragma once

#include <string>

// An item-id list names one item of the shell namespace: a sequence of items, each led by its own
// byte count as an unsigned 16-bit number (the count includes those two bytes), closed by a 16-bit
// zero. An absolute list starts at the desktop, whose own list is empty (the terminator alone); a
// relative list starts at some folder. What follows each count belongs to the namespace alone.
//
// The type is never completed: a list is a block from ShellAllocator, and since a count may stand at
// an odd address it is read byte by byte, never through a 16-bit pointer.
struct ItemIdList;

// The outcome of a namespace call: ShellOk or ShellFalse on success, the negated errno on failure.
using ShellResult = int;
constexpr ShellResult ShellOk = 0;
constexpr ShellResult ShellFalse = 1;

constexpr bool shellSucceeded(ShellResult result) { return result >= 0; }
constexpr bool shellFailed(ShellResult result) { return result < 0; }

// Attributes of an item, as ShellNamespace::getFileInfo reports them.
enum ShellAttribute : unsigned {
    ShellAttributeFolder = 0x1,
    ShellAttributeHasSubFolder = 0x2,
    ShellAttributeFileSystem = 0x4,
    // A folder of the file system, or a virtual folder with file-system folders below it.
    ShellAttributeFileSystemAncestor = 0x8,
};

// What ShellFolder::enumObjects lists.
enum ShellEnumFlag : unsigned {
    ShellEnumFolders = 0x1,
    ShellEnumNonFolders = 0x2,
    // Names that begin with a dot, which file managers hide.
    ShellEnumIncludeHidden = 0x4,
};

// What ShellNamespace::getFileInfo fills in.
enum ShellInfoFlag : unsigned {
    ShellInfoIconIndex = 0x1,
    // With ShellInfoIconIndex: the icon of the item when it is open (selected) instead.
    ShellInfoOpenIcon = 0x2,
    ShellInfoDisplayName = 0x4,
    ShellInfoAttributes = 0x8,
};

// Indices into ShellNamespace::getImageList.
enum ShellIcon : int {
    ShellIconDesktop = 0,
    ShellIconHome = 1,
    ShellIconDrive = 2,
    ShellIconFolder = 3,
    ShellIconOpenFolder = 4,
    ShellIconFile = 5,
    ShellIconCount = 6,
};

struct ShellFileInfo {
    int iconIndex = 0;
    unsigned attributes = 0;
    std::string displayName;
};
