#pragma once

#include "platform/shell/ShellItemId.h"
#include "platform/shell/ShellTypes.h"

#include <string>
#include <vector>

// The file-system questions the namespace asks, over POSIX. Symbolic links are followed, as a
// file manager does; a link that leads nowhere is a file.
class ShellDirectory {
public:
    ShellDirectory() = delete;

    // ShellOk for an existing folder, else the failure (-ENOTDIR for anything that is not one).
    static ShellResult probeFolder(const std::string& path);
    static bool isFolder(const std::string& path);
    // ShellOk when the entry exists, be it even a link that leads nowhere.
    static ShellResult probeEntry(const std::string& path);
    // Whether a visible entry of the folder is a folder. A folder that cannot be read is assumed
    // to have some, so that it can be offered for opening and fail then, where the failure shows.
    static bool hasVisibleSubFolder(const std::string& path);
    // Makes a folder (not its missing parents): ShellOk, else the failure (-EEXIST when the name
    // is taken).
    static ShellResult createFolder(const std::string& path);
    // Gives an entry another name in its folder; never replaces an entry of that name (-EEXIST).
    static ShellResult rename(const std::string& from, const std::string& to);
    // The entries of a folder as items (ShellEnumFlag selects which), in readdir order.
    static ShellResult read(const std::string& path, unsigned flags, std::vector<ShellItemId>& entries);
};
