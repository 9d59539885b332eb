#pragma once

#include "platform/shell/ShellItemId.h"

#include <string>
#include <vector>

// Where the places below the desktop lie in the file system. Asked afresh every time, so that a
// changed HOME or a desktop folder made later is seen.
class ShellPlaces {
public:
    ShellPlaces() = delete;

    // $HOME, else the user's entry in the password database; "" when neither names a folder path.
    static std::string homePath();
    // The desktop folder the user's XDG settings name, else ~/Desktop; "" without a home. The
    // folder need not exist.
    static std::string desktopPath();
    // Whether the desktop folder exists and is a folder of its own (XDG points it at the home
    // folder itself when the user has none).
    static bool hasDesktop();

    // The block devices of the machine (disks, SD cards, their partitions), as paths in the
    // device folder ("/dev/sdb1"), sorted; loop and RAM disks are left out. Read from the kernel's
    // list of block devices ("/sys/class/block").
    static std::vector<std::string> blockDevices();
    static std::string deviceFolder();
    // Where blockDevices looks: the kernel's list and the device folder. Tests point them at
    // folders of their own; "" restores the machine's.
    static void setDeviceFolders(const std::string& listFolder, const std::string& devices);

    // The file-system path of an absolute list; false for the desktop itself and for a place
    // whose folder is unknown.
    static bool resolve(const std::vector<ShellItemId>& items, std::string& path);
    static std::string join(const std::string& folder, const std::string& name);
};
