#pragma once

#include "platform/shell/ShellTypes.h"

#include <string>
#include <vector>

// One item of an item-id list, decoded. This is the namespace's private encoding; only the sources
// of platform/shell look inside a list.
//
// An item is: its byte count (16 bits, little-endian), a kind byte, a flags byte and, for an
// entry of the file system, the entry's name in the file system's own bytes. The first item of an
// absolute list is a place below the desktop (home, desktop folder, file-system root); every later
// item is an entry of the folder before it.
struct ShellItemId {
    enum Kind : unsigned char { Home = 1, Desktop = 2, Root = 3, Entry = 4 };

    Kind kind = Entry;
    // Whether the entry was a folder when the item was made; it orders folders before files
    // without asking the file system again.
    bool folder = false;
    std::string name;

    // false when the list is not one of ours.
    static bool decode(const ItemIdList* list, std::vector<ShellItemId>& items);
    // The items' bytes without the terminator.
    static std::string encode(const std::vector<ShellItemId>& items);
    // A list from ShellAllocator holding bytes and the terminator; nullptr when there is no memory.
    static ItemIdList* allocate(const std::string& bytes);

    // The order a file manager shows: the places in a fixed order, then folders before files,
    // then names without regard to letter case. 0 only for the same item.
    static int compare(const ShellItemId& first, const ShellItemId& second);
    // Item by item; a folder comes before everything below it.
    static int compare(const std::vector<ShellItemId>& first, const std::vector<ShellItemId>& second);
};
