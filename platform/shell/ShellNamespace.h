#pragma once

#include "platform/os/ErrorText.h"
#include "platform/shell/ShellTypes.h"

#include <memory>
#include <string>

class ShellAllocator;
class ShellFolder;

// The shell namespace over the Linux file system. Below the desktop (an empty list) lie the
// places a Linux user expects: the home folder, the desktop folder when there is one and the
// file-system root; below them the folders and files of the file system. Hidden entries
// (dot-files) are left out of enumerations, as file managers do.
//
// Everything runs on the calling thread; the namespace keeps no state between calls, so items
// made earlier stay valid while the file system changes under them (they then answer from what
// they find).
class ShellNamespace {
public:
    ShellNamespace() = delete;

    // The namespace needs no per-thread set-up; these keep the callers' pairing visible and
    // always succeed.
    static bool initialize();
    static void uninitialize();

    static ShellAllocator& getAllocator();
    // The desktop's own list (the terminator alone), from the allocator.
    static ShellResult getDesktopLocation(ItemIdList** list);
    static ShellResult getDesktopFolder(std::unique_ptr<ShellFolder>& folder);

    // Fills what flags (ShellInfoFlag) ask for; false, with info untouched, for a list that is
    // not one of ours. Virtual items get Japanese names, file-system items their file names.
    static bool getFileInfo(const ItemIdList* absolute, unsigned flags, ShellFileInfo& info);
    // false, and "", for the desktop and for lists that are not ours; the path need not exist.
    static bool getPathFromIdList(const ItemIdList* absolute, std::string& path);

    // A message for the user about a failed call, in the words of os::errorText; use says
    // whether the call was to write (make, rename, remove) or only to look.
    static std::string getErrorMessage(ShellResult result, os::ErrorUse use = os::ErrorUse::any);
};
